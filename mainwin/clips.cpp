// The clip of a title: the AV page's clip group ("Video or Audio Clip", the clip file with
// its browse button, the clip type and "Play") and the player window that plays the clip.
//
// Only the clip's path is stored; the file itself is never copied or read here. Paths are
// the platform's. A path stored on another system (backslashes, a drive letter) is shown
// as it is and reported as not found.
#include "form1.h"

#include "appwindows.h"
#include "datacontrols.h"
#include "filefilter.h"
#include "hourglass.h"
#include "playerform.h"
#include "prompt.h"
#include "text.h"

#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>

namespace {

// The file name without its folder: the text after the last separator of any system
// ('/', '\\' or a drive's ':').
QString bareName(const QString& path) {
    const qsizetype cut =
        std::max({path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')),
                  path.lastIndexOf(QLatin1Char(':'))});
    return path.mid(cut + 1);
}

// Hands the mouse moves over the clip file edit to DBEditClipMouseMove.
class ClipEditMouse : public QObject {
public:
    ClipEditMouse(TForm1* form, QWidget* edit) : QObject(form), form_(form) {
        edit->setMouseTracking(true);
        edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove) form_->DBEditClipMouseMove();
        return false;
    }

private:
    TForm1* form_;
};

} // namespace

void TForm1::connectClipCommands() {
    connect(chkClip, &QCheckBox::toggled, this, &TForm1::chkClipClick);
    connect(DBEditClip, &QLineEdit::textChanged, this, &TForm1::DBEditClipChange);
    new ClipEditMouse(this, DBEditClip);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm1::BitBtn5Click);
    connect(butPlay, &QPushButton::clicked, this, &TForm1::butPlayClick);
    chkClipClick();
}

void TForm1::chkClipClick() {
    avGroup->setEnabled(chkClip->isChecked());
    butPlay->setEnabled(!DBEditClip->text().isEmpty());
}

void TForm1::DBEditClipChange() {
    butPlay->setEnabled(!DBEditClip->text().isEmpty());
}

// Hovering shows the whole path. An empty edit shows no hint, rather than the path of the
// last title hovered.
void TForm1::DBEditClipMouseMove() {
    DBEditClip->setToolTip(DBEditClip->text());
}

void TForm1::BitBtn5Click() {
    const QString type = Table1->text("CLIP_TYPE");
    if (type == QLatin1String("Audio")) {
        OpenDialog1.filter = QStringLiteral("Audio files (*.wav)|*.wav|Midi files (*.mid)|*mid");
        OpenDialog1.title = QStringLiteral("Select and Audio file");
    } else if (type == QLatin1String("Video")) {
        OpenDialog1.filter = QStringLiteral("Video files (*.avi)|*.avi|MPEG files (*.mpg)|*mpg");
        OpenDialog1.title = QStringLiteral("Select a Video file");
    }
    QString chosen = rk::fw::prompt().openFileName(this, OpenDialog1.title, OpenDialog1.fileName,
                                                   rk::fw::dialogFilter(OpenDialog1.filter));
    if (chosen.isEmpty()) return;
    // A name typed without an extension is a video clip's.
    if (QFileInfo(chosen).suffix().isEmpty() && !QFileInfo::exists(chosen))
        chosen += QStringLiteral(".avi");
    OpenDialog1.fileName = chosen;

    // A path the field cannot hold as it is would be stored cut or with '?' for some
    // letters, naming another file: refuse it rather than store a wrong path.
    const int width = DBEditClip->link()->width();
    const std::string stored = rk::fw::toCp1252(chosen);
    if (int(stored.size()) > width || rk::fw::fromCp1252(stored) != chosen) {
        rk::fw::prompt().message(
            this,
            QStringLiteral("The catalogue cannot store this path: it is longer than %1 "
                           "characters or holds letters the catalogue cannot keep.\n\n%2")
                .arg(width)
                .arg(chosen),
            QString(), rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
        return;
    }
    if (!Table1->edit().isOk()) return; // a failed post is told through postFailed
    rk::ignore(Table1->setText("CLIP_FILE", chosen),
               "a character field takes any text that fits, which was checked above");
    butPlay->setEnabled(true);
}

void TForm1::butPlayClick() {
    const QString path = DBEditClip->text();
    if (QFileInfo(path).isFile()) {
        rk::mainwin::Hourglass wait;
        appWindows().player->playClip(path);
        return;
    }
    rk::fw::prompt().message(this,
                             QStringLiteral("Cannot locate the file: ") + bareName(path) +
                                 QStringLiteral(". If it's on an external disk (like CDROM or "
                                                "Zip), insert it now and try again."),
                             QString(), rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
}
