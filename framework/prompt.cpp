#include "prompt.h"

#include "helpviewer.h"
#include "placement.h"
#include "status.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPixmap>
#include <QPrintDialog>
#include <QPushButton>
#include <QSpacerItem>

namespace rk::fw {

namespace {
Prompt* installed = nullptr;

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString boxCaption(const QString& caption) {
    return caption.isEmpty() ? QApplication::applicationName() : caption;
}

// No box opens under the splash window: it stays on top of everything, so it goes first.
// A "Colour..." button below the font dialog's effects (underline, strike-out), whose choice
// `color` keeps and the dialog's sample shows.
void offerColour(QFontDialog& dialog, QColor& color) {
    QGroupBox* effects = nullptr;
    QLineEdit* sample = nullptr;
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        if (!box->findChildren<QCheckBox*>().isEmpty())
            effects = box;
        else if (auto* edit = box->findChild<QLineEdit*>())
            sample = edit;
    }
    if (!effects || !effects->layout()) return;
    auto* button = new QPushButton(QObject::tr("C&olour..."), effects);
    button->setObjectName(QStringLiteral("FontColour"));
    auto show = [button, sample, &color] {
        QPixmap swatch(16, 16);
        swatch.fill(color);
        button->setIcon(QIcon(swatch));
        if (sample) {
            QPalette p = sample->palette();
            p.setColor(QPalette::Text, color);
            sample->setPalette(p);
        }
    };
    show();
    QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, &color, show] {
        const QColor chosen = QColorDialog::getColor(color, &dialog);
        if (!chosen.isValid()) return;
        color = chosen;
        show();
    });
    effects->layout()->addWidget(button);
}

void clearTheWay() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() == Qt::SplashScreen) w->close();
}

// A box is as wide as its caption needs in a title bar, so that the caption is never cut.
void fitCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid) return;
    grid->addItem(new QSpacerItem(captionWidth(box.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
}
} // namespace

Prompt& prompt() {
    static QtPrompt qt;
    return installed ? *installed : qt;
}

void showStatus(QWidget* owner, const QString& what, const Status& why, const QString& caption) {
    const QString reason = QString::fromStdString(why.message());
    prompt().message(owner, reason.isEmpty() ? what : what + QStringLiteral("\n\n") + reason,
                     caption, Icon::Warning, Buttons::Ok);
}

Prompt* setPrompt(Prompt* p) {
    Prompt* before = installed;
    installed = p;
    return before;
}

Button QtPrompt::message(QWidget* owner, const QString& text, const QString& caption, Icon icon,
                         Buttons buttons) {
    clearTheWay();
    QMessageBox box(qtIcon(icon), boxCaption(caption), text, QMessageBox::NoButton, owner);
    fitCaption(box);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Button::Ok;
    case QMessageBox::Yes:
        return Button::Yes;
    case QMessageBox::No:
        return Button::No;
    default:
        break;
    }
    if (buttons == Buttons::Ok) return Button::Ok;
    return buttons == Buttons::YesNo ? Button::No : Button::Cancel;
}

int QtPrompt::choose(QWidget* owner, const QString& text, const QString& caption, Icon icon,
                     const QStringList& buttons) {
    clearTheWay();
    QMessageBox box(qtIcon(icon), boxCaption(caption), text, QMessageBox::NoButton, owner);
    fitCaption(box);
    QList<QAbstractButton*> made;
    for (const QString& b : buttons)
        made << box.addButton(b, QMessageBox::AcceptRole);
    if (!made.isEmpty()) box.setDefaultButton(qobject_cast<QPushButton*>(made.first()));
    box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    box.exec();
    return int(made.indexOf(box.clickedButton()));
}

std::optional<QString> QtPrompt::inputText(QWidget* owner, const QString& caption,
                                           const QString& label, const QString& value) {
    clearTheWay();
    QInputDialog box(owner);
    box.setWindowTitle(caption);
    box.setLabelText(label);
    box.setTextValue(value);
    // The dialog takes the size of its layout, so the caption's room is an item of it. The
    // layout is made when the dialog is first sized.
    box.adjustSize();
    if (QLayout* layout = box.layout())
        layout->addItem(
            new QSpacerItem(captionWidth(caption), 0, QSizePolicy::Minimum, QSizePolicy::Fixed));
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue();
}

QString QtPrompt::openFileName(QWidget* owner, const QString& caption, const QString& dir,
                               const QString& filter) {
    clearTheWay();
    return QFileDialog::getOpenFileName(owner, caption, dir, filter);
}

QString QtPrompt::saveFileName(QWidget* owner, const QString& caption, const QString& dir,
                               const QString& filter) {
    clearTheWay();
    return QFileDialog::getSaveFileName(owner, caption, dir, filter);
}

QString QtPrompt::folderName(QWidget* owner, const QString& caption, const QString& dir) {
    clearTheWay();
    return QFileDialog::getExistingDirectory(owner, caption, dir);
}

std::optional<QColor> QtPrompt::chooseColor(QWidget* owner, const QColor& initial,
                                            const QString& caption) {
    clearTheWay();
    const QColor c = QColorDialog::getColor(initial, owner, caption);
    if (!c.isValid()) return std::nullopt;
    return c;
}

std::optional<QFont> QtPrompt::chooseFont(QWidget* owner, const QFont& initial,
                                          const QString& caption, const FontOptions& options) {
    clearTheWay();
    QFontDialog dialog(initial, owner);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    if (!caption.isEmpty()) dialog.setWindowTitle(caption);
    QColor color = options.color ? *options.color : QColor(Qt::black);
    if (options.color) offerColour(dialog, color);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    if (options.color) *options.color = color;
    QFont f = dialog.selectedFont();
    if (options.maxPointSize > 0 && f.pointSize() > options.maxPointSize)
        f.setPointSize(options.maxPointSize);
    if (!options.effects) {
        f.setUnderline(false);
        f.setStrikeOut(false);
    }
    return f;
}

bool QtPrompt::printDialog(QWidget* owner, QPrinter* printer) {
    clearTheWay();
    QPrintDialog dialog(printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrompt::printerSetup(QWidget* owner, QPrinter* printer) {
    clearTheWay();
    QPageSetupDialog dialog(printer, owner);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrompt::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

void QtPrompt::notify(QWidget* owner, const QString& text, const QString& caption, Icon icon) {
    auto* box = new QMessageBox(qtIcon(icon), boxCaption(caption), text, QMessageBox::Ok, owner);
    box->setObjectName(QStringLiteral("NoticeBox"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->show();
}

void QtPrompt::showHelp(QWidget* owner, const QString& topic) {
    HelpViewer::instance(owner)->showTopic(topic);
}

} // namespace rk::fw
