// The main window's database maintenance: packing both tables (which renumbers the titles
// and therefore rebuilds the full-text index) and re-indexing the titles table.
#include "progresskeys.h"

#include "form1.h"
#include "hourglass.h"
#include "prompt.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QStatusBar>

#include <algorithm>

using rk::mainwin::Hourglass;

namespace {

// The window repaints where the question was before the long run begins, which lets no
// other message through. The window manager's note that the area is uncovered may come late,
// so the whole window is painted again at once rather than waiting for it.
void settle(QWidget* window) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    window->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

const QString kDatabaseCaption = QStringLiteral("Reelkeeper98 Database");

} // namespace

void TForm1::PackDatabase1Click() {
    if (rk::fw::prompt().message(this,
                                 QStringLiteral("Packing the Database only needs to be done if "
                                                "you have deleted several entries. Proceed?"),
                                 QStringLiteral("Packing the Database Files"),
                                 rk::fw::Icon::Question,
                                 rk::fw::Buttons::YesNo) != rk::fw::Button::Yes)
        return;

    if (!Table1->checkBrowseMode().isOk() || !Table2->checkBrowseMode().isOk())
        return; // the post's failure was reported
    settle(this);
    rk::Result<rk::catalogue::Catalogue::PackReport> packed =
        rk::catalogue::Catalogue::PackReport{};
    {
        Hourglass wait;
        Table1->disableControls();
        Table2->disableControls();
        ProgressBar1->setRange(0, 100);
        ProgressBar1->setValue(0);
        ProgressBar1->show();
        setStatusPanelText(1, QStringLiteral("Packing..."));
        StatusBar1->repaint();
        rk::catalogue::Catalogue::PackSteps steps;
        steps.tables = [this](int percent) {
            ProgressBar1->setValue(percent);
            ProgressBar1->repaint();
        };
        // The record numbers change: the full-text index is built again from the packed table.
        steps.buildTextIndex = true;
        const uint32_t records = std::max<uint32_t>(titles().recCount(), 1);
        steps.text = [this, records](int32_t result) {
            if (result > 0) ProgressBar1->setValue(int(int64_t(result) * 100 / records));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        };
        packed = catalogue().pack(steps);
        undo_->clear(); // the steps' record numbers no longer hold
        Table1->refresh();
        Table2->refresh();
        Table1->enableControls();
        Table2->enableControls();
        ProgressBar1->hide();
        ProgressBar1->setValue(0);
        setStatusPanelText(1, QStringLiteral("Ready..."));
    }
    if (!packed.isOk()) {
        rk::fw::showStatus(this, QStringLiteral("The database could not be packed."),
                           packed.status(), kDatabaseCaption);
        return;
    }
    // The next search offers to build it again.
    if (!packed->textFailure.isOk())
        rk::fw::showStatus(this, QStringLiteral("Index file not created yet."),
                           packed->textFailure);
    rk::fw::prompt().message(this, QStringLiteral("Database Packed successfully!"),
                             QStringLiteral("Information"), rk::fw::Icon::Information,
                             rk::fw::Buttons::Ok);
}

void TForm1::ReIndexDatabase1Click() {
    if (rk::fw::prompt().message(
            this, QStringLiteral("You are about to Re-Index the database. Continue?"),
            QStringLiteral("Re-Index Database"), rk::fw::Icon::Warning,
            rk::fw::Buttons::YesNo) != rk::fw::Button::Yes)
        return;
    if (!Table1->checkBrowseMode().isOk()) return; // the post's failure was reported

    ProgressBar1->setRange(0, 100);
    ProgressBar1->show();
    settle(this);
    // The window takes the engine's progress as key-downs (FormKeyDown).
    const auto progress = [this](int percent) {
        QKeyEvent key(QEvent::KeyPress, rk::store::progressKeyCode(percent), Qt::NoModifier);
        QCoreApplication::sendEvent(this, &key);
        ProgressBar1->repaint();
    };
    const rk::Status reindexed = catalogue().reindex(progress);
    Table1->refresh();
    Table2->refresh();
    ProgressBar1->hide();
    ProgressBar1->setValue(0);

    if (!reindexed.isOk()) {
        rk::fw::showStatus(this, QStringLiteral("The database could not be re-indexed."), reindexed,
                           kDatabaseCaption);
        return;
    }
    rk::fw::prompt().message(this, QStringLiteral("Re-Index completed successfully."),
                             kDatabaseCaption, rk::fw::Icon::Information, rk::fw::Buttons::Ok);
}

void TForm1::FormKeyDown(int& key) {
    if (const auto position = rk::store::progressFromKeyCode(key)) {
        ProgressBar1->setValue(*position);
        key = 0;
    }
}
