// Entry editing: New, Save and Trash, the title and Enter rules, multi-sets and tapes, the
// run-time zoom panel and the clipboard commands.
#include "form1.h"

#include "datacontrols.h"
#include "picturetabbar.h"
#include "prompt.h"
#include "spinbutton.h"
#include "spinedit.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int kZoomSteps = 5;
constexpr int kZoomStepMs = 25;

// Field names as the user knows them, for messages.
QString fieldCaption(const std::string& field) {
    static const std::pair<const char*, const char*> captions[] = {
        {"TITLE", "Title"},
        {"CATEGORY", "Category"},
        {"FORMAT", "Media Format"},
        {"ID", "ID"},
        {"RUNTIME", "Run Time"},
        {"RATED", "Rated (MPAA)"},
        {"RATING", "Personal Rating"},
        {"SUMMARY", "Summary"},
        {"PRODUCER", "Produced by"},
        {"DIRECTOR", "Director(s)"},
        {"YEAR", "Release Year"},
        {"SPEED", "Record/Playback Speed"},
        {"PRICE", "Price"},
        {"TAPES", "Number of Tapes"},
        {"CLIP_FILE", "Clip File"},
    };
    for (const auto& [name, caption] : captions)
        if (field == name) return QString::fromLatin1(caption);
    return QString::fromStdString(field);
}

} // namespace

// --- New, Save, Trash

void TForm1::NewButClick() {
    Common1Click();
    if (LockCheck->isChecked()) {
        const QString category = DBEdit13->text(); // the category of the title that was current
        if (!Table1->insert().isOk()) return;
        rk::ignore(
            Table1->setText("CATEGORY", category),
            "kept in the buffer: a value the field cannot take fails the post, which says so");
    } else {
        if (!Table1->insert().isOk()) return;
    }
    rk::ignore(Table1->setText("FORMAT", rules_.defaultFormat),
               "kept in the buffer: a value the field cannot take fails the post, which says so");
    DBEdit1->setFocus();
}

void TForm1::SaveButClick() {
    if (Table1->isEditing()) rk::ignore(Table1->post(), "a failed post is told through postFailed");
}

void TForm1::TrashButClick() {
    if (!askDeleteOnLoan()) return;
    if (rk::fw::prompt().message(this, QStringLiteral("Delete the current Record?"), QString(),
                                 rk::fw::Icon::Question,
                                 rk::fw::Buttons::YesNo) != rk::fw::Button::Yes)
        return;
    // The catalogue removes the title's full-text entry with it.
    if (const rk::Status s = Table1->deleteCurrent(); !s.isOk())
        rk::fw::showStatus(this, QStringLiteral("The entry could not be deleted."), s);
}

void TForm1::Table1NewRecord() {
    newTitlePending_ = true;
}

// After a post the new-title-pending flag is cleared. The catalogue has stored the title's
// entry in the full-text index with it, so that a search finds what is stored.
void TForm1::Table1AfterPost() {
    newTitlePending_ = false;
}

// An abandoned insert takes its pending flag with it, so that the next post of another
// title never adds that title to the index a second time.
void TForm1::Table1AfterCancel() {
    newTitlePending_ = false;
}

void TForm1::Table1PostError(const rk::Status& status) {
    QString reason = QString::fromStdString(status.message());
    for (const auto& f : titles().fields())
        if (reason.endsWith(QLatin1String(" in ") + QString::fromStdString(f.name)))
            reason = reason.left(reason.size() - qsizetype(f.name.size())) + fieldCaption(f.name);
    // Told over the window that posted: the master editor, when it is open.
    QWidget* owner = QApplication::activeModalWidget();
    rk::fw::prompt().message(
        owner ? owner : this,
        QStringLiteral("This entry could not be saved:\n%1\n\nIt is still being edited. Correct "
                       "it and save again, or discard the changes with Cancel on the Navigator "
                       "(View menu).")
            .arg(reason),
        QStringLiteral("Reelkeeper"), rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
}

// --- Title required

namespace {
bool askForTitle(QWidget* owner) {
    return rk::fw::prompt().message(
               owner,
               QStringLiteral("You did not enter a Title for this Entry. Click OK to enter a "
                              "Title or Cancel to abort this Entry."),
               QString(), rk::fw::Icon::Warning, rk::fw::Buttons::OkCancel) == rk::fw::Button::Ok;
}
} // namespace

void TForm1::DBEdit1Exit() {
    if (!DBEdit1->text().isEmpty()) return;
    if (askForTitle(this)) {
        // The move that took the focus away may post next: it is refused without asking
        // again, until the events under way have been handled.
        titleJustAsked_ = true;
        QTimer::singleShot(0, this, [this] { titleJustAsked_ = false; });
        // Once the focus change under way has ended.
        QTimer::singleShot(0, DBEdit1, [this] { DBEdit1->setFocus(Qt::OtherFocusReason); });
    } else {
        Table1->cancel();
    }
}

// Every post of a title without a title asks first: OK keeps it in edit to be given one,
// Cancel abandons it, and nothing is written either way.
rk::fw::Dataset::PostCheck TForm1::Table1BeforePost() {
    using Check = rk::fw::Dataset::PostCheck;
    if (!Table1->text("TITLE").isEmpty()) return Check::Post;
    if (titleJustAsked_) return Check::Refuse;
    if (!askForTitle(this)) return Check::Abandon;
    QTimer::singleShot(0, DBEdit1, [this] { DBEdit1->setFocus(Qt::OtherFocusReason); });
    return Check::Refuse;
}

// --- Enter key

bool TForm1::DBEdit1KeyPress(QWidget* sender) {
    if (!rules_.enterAsTab) return false;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(sender, &tab);
    return true;
}

bool TForm1::DBEdit11KeyPress(QWidget* sender) {
    return DBEdit1KeyPress(sender);
}

bool TForm1::DBMemo1KeyPress(QWidget* sender) {
    return DBEditTapesKeyPress(sender);
}

// The last field of a page: Enter never reaches the control; it may turn the page.
bool TForm1::DBEditTapesKeyPress(QWidget*) {
    if (rules_.enterMovesPage) moveToNextPage();
    return true;
}

void TForm1::moveToNextPage() {
    const int next = (PageControl2->currentIndex() + 1) % PageControl2->count();
    PageControl2->setCurrentIndex(next);
    // The first field of the new page takes the keys.
    QWidget* first = PageControl2->currentWidget()->nextInFocusChain();
    while (first && (!first->isVisibleTo(PageControl2->currentWidget()) ||
                     !(first->focusPolicy() & Qt::TabFocus) ||
                     !PageControl2->currentWidget()->isAncestorOf(first)))
        first = first == PageControl2->currentWidget() ? nullptr : first->nextInFocusChain();
    if (first) first->setFocus(Qt::TabFocusReason);
}

// --- Multi-sets and tapes

void TForm1::chkMultiSetClick() {
    const bool multi = chkMultiSet->isChecked();
    DBEditTapes->setVisible(multi);
    lblTapes->setVisible(multi);
    UpDown1->setVisible(multi);
    if (!multi && !DBEditTapes->text().isEmpty()) {
        DBEditTapes->clear();
        // Shown from a stored record this only clears the display; cleared by the user, the
        // title keeps no tape count once it is posted.
        if (Table1->isEditing())
            rk::ignore(
                Table1->setText("TAPES", QString()),
                "kept in the buffer: a value the field cannot take fails the post, which says so");
    }
}

void TForm1::DBEditTapesChange() {
    if (DBEditTapes->text() == QLatin1String("1"))
        rk::fw::prompt().message(this, QStringLiteral("You cannot specify 1 tape as a multi-set."),
                                 QString(), rk::fw::Icon::None, rk::fw::Buttons::Ok);
}

// Before a step: the up-down takes its position from the text. A text that is no whole
// number stops the step.
bool TForm1::UpDown1Changing() {
    bool ok = false;
    const int n = DBEditTapes->text().trimmed().toInt(&ok);
    if (!ok) return false;
    upDownPosition_ = std::clamp(n, 1, 100);
    return true;
}

void TForm1::UpDown1Click(int position) {
    upDownPosition_ = position;
    if (!Table1->edit().isOk()) return;
    rk::ignore(Table1->setText("TAPES", QString::number(position)),
               "kept in the buffer: a value the field cannot take fails the post, which says so");
}

// --- Run-time zoom panel

void TForm1::butZoomClick() {
    if (pnlZoom->isHidden()) {
        placeZoomPanel();
        zoomOpen_ = false;
        pnlZoom->setMask(QRegion(0, 0, 0, 0));
        pnlZoom->show();
    }
    animateZoom(!zoomOpen_);
}

// A wipe upwards in five steps: the panel is revealed (or covered) from its bottom edge.
void TForm1::animateZoom(bool open) {
    zoomOpen_ = open;
    if (!zoomTimer_) {
        zoomTimer_ = new QTimer(this);
        zoomTimer_->setInterval(kZoomStepMs);
        connect(zoomTimer_, &QTimer::timeout, this, [this] {
            ++zoomStep_;
            const int h = pnlZoom->height();
            const int shown =
                zoomOpen_ ? h * zoomStep_ / kZoomSteps : h * (kZoomSteps - zoomStep_) / kZoomSteps;
            if (zoomStep_ >= kZoomSteps) {
                zoomTimer_->stop();
                if (zoomOpen_)
                    pnlZoom->clearMask();
                else
                    pnlZoom->hide();
                return;
            }
            pnlZoom->setMask(QRegion(0, h - shown, pnlZoom->width(), shown));
        });
    }
    zoomStep_ = 0;
    if (open)
        RxSpinEdit1->setFocus();
    else if (pnlZoom->isAncestorOf(QApplication::focusWidget()))
        DBEditRunTime->setFocus(); // the keys go back where the panel was opened from
    zoomTimer_->start();
}

void TForm1::RxSpinButton1TopClick() {
    RxSpinEdit1->setValue(std::min(RxSpinEdit1->intValue() + 1, 59));
}
void TForm1::RxSpinButton1BottomClick() {
    RxSpinEdit1->setValue(std::max(RxSpinEdit1->intValue() - 1, 0));
}
void TForm1::RxSpinButton2TopClick() {
    RxSpinEdit2->setValue(std::min(RxSpinEdit2->intValue() + 1, 59));
}
void TForm1::RxSpinButton2BottomClick() {
    RxSpinEdit2->setValue(std::max(RxSpinEdit2->intValue() - 1, 0));
}

void TForm1::BitBtn2Click() {
    animateZoom(false);
}

void TForm1::BitBtn3Click() {
    if (Table1->edit().isOk())
        rk::ignore(
            Table1->setText("RUNTIME", QStringLiteral("%1:%2")
                                           .arg(RxSpinEdit1->intValue(), 2, 10, QLatin1Char('0'))
                                           .arg(RxSpinEdit2->intValue(), 2, 10, QLatin1Char('0'))),
            "kept in the buffer: a value the field cannot take fails the post, which says so");
    animateZoom(false);
}

// --- Clipboard: the focused control decides what a cut, copy or paste does.

namespace {
QObject* clipboardTarget() {
    QObject* w = QApplication::focusWidget();
    if (auto* combo = qobject_cast<QComboBox*>(w)) w = combo->lineEdit();
    return w && w->metaObject()->indexOfMethod("paste()") >= 0 ? w : nullptr;
}
} // namespace

void TForm1::Cut1Click() {
    if (QObject* t = clipboardTarget()) QMetaObject::invokeMethod(t, "cut");
}

void TForm1::Copy1Click() {
    if (QObject* t = clipboardTarget()) QMetaObject::invokeMethod(t, "copy");
}

void TForm1::Paste1Click() {
    if (QObject* t = clipboardTarget()) QMetaObject::invokeMethod(t, "paste");
}

// Opening the Edit, View, Special or Help menu: Paste is offered exactly when the clipboard
// holds text.
void TForm1::Edit1Click() {
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    Paste1->setEnabled(clip && clip->hasText() && !clip->text().isEmpty());
}
