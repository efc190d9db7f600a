// The main window's database maintenance: packing both tables (which renumbers the titles
// and therefore rebuilds the full-text index) and re-indexing the titles table.
#include "progresskeys.h"

#include "catalogue.h"
#include "cdx.h"
#include "form1.h"
#include "hourglass.h"
#include "prompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QProgressBar>

using rk::mainwin::Hourglass;

namespace {

void failed(QWidget* owner, const QString& what, const rk::Status& status) {
    rk::fw::prompt().message(
        owner, what + QStringLiteral("\n\n") + QString::fromStdString(status.message()),
        QStringLiteral("Reelkeeper98 Database"), rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
}

// The window repaints where the question was before the long run begins, which lets no
// other message through. The window manager's note that the area is uncovered may come late,
// so the whole window is painted again at once rather than waiting for it.
void settle(QWidget* window) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    window->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// Re-indexes a table; an index that could not even be opened (the table then opened in record
// order) is made anew with the catalogue's tags, and its first tag becomes the order.
rk::Status reindexTable(rk::store::Table& t, const std::vector<rk::catalogue::TagDef>& defs,
                        const rk::store::Progress& progress) {
    if (t.index() || !t.dbf() || !t.dbf()->hasStructuralIndex()) return t.reindex(progress);
    std::vector<rk::store::TagSpec> tags;
    for (const auto& d : defs)
        tags.push_back({d.name, d.key, d.forExpr});
    RK_RETURN_IF_ERROR(t.createIndex(tags, progress));
    // The order the table opens in at start-up (TITIT, CAT), which it could not have then.
    t.setOrder(t.tagArea(defs.front().name));
    return t.goTop();
}

} // namespace

void TForm1::PackDatabase1Click() {
    if (rk::fw::prompt().message(this,
                                 QStringLiteral("Packing the Database only needs to be done if "
                                                "you have deleted several entries. Proceed?"),
                                 QStringLiteral("Packing the Database Files"),
                                 rk::fw::Icon::Question,
                                 rk::fw::Buttons::YesNo) != rk::fw::Button::Yes)
        return;

    rk::Status titlesPacked, categoriesPacked;
    settle(this);
    {
        Hourglass wait;
        if (!Table1->checkBrowseMode().isOk()) return; // the post's failure was reported
        ProgressBar1->setRange(0, 100);
        ProgressBar1->setValue(0);
        ProgressBar1->show();
        const auto progress = [this](int percent) {
            ProgressBar1->setValue(percent);
            ProgressBar1->repaint();
        };
        titlesPacked = titles().pack(progress);
        Table1->refresh();
        if (titlesPacked.isOk() && Table2->checkBrowseMode().isOk()) {
            ProgressBar1->setValue(0);
            categoriesPacked = categories().pack(progress);
            Table2->refresh();
        }
        ProgressBar1->hide();
        ProgressBar1->setValue(0);
    }
    // A titles table that could not be packed keeps its record numbers, and its index.
    if (!titlesPacked.isOk()) {
        failed(this, QStringLiteral("The titles could not be packed."), titlesPacked);
        return;
    }

    // The record numbers have changed: the index is built again from the packed table.
    QFile::remove(ftsPath_);
    if (!UseTitles())
        rk::fw::prompt().message(this, QStringLiteral("Index file not created yet."), QString(),
                                 rk::fw::Icon::None, rk::fw::Buttons::Ok);
    Fts1.FtsClose();

    if (!categoriesPacked.isOk()) {
        failed(this, QStringLiteral("The categories could not be packed."), categoriesPacked);
        return;
    }
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
    rk::Status reindexed = reindexTable(titles(), rk::catalogue::titleTags(), progress);
    // The categories' index is re-made only when it could not be opened at all.
    if (reindexed.isOk() && !categories().index())
        reindexed = reindexTable(categories(), rk::catalogue::categoryTags(), {});
    Table1->refresh();
    Table2->refresh();
    ProgressBar1->hide();
    ProgressBar1->setValue(0);

    if (!reindexed.isOk()) {
        failed(this, QStringLiteral("The database could not be re-indexed."), reindexed);
        return;
    }
    rk::fw::prompt().message(this, QStringLiteral("Re-Index completed successfully."),
                             QStringLiteral("Reelkeeper98 Database"), rk::fw::Icon::Information,
                             rk::fw::Buttons::Ok);
}

void TForm1::FormKeyDown(int& key) {
    if (const auto position = rk::store::progressFromKeyCode(key)) {
        ProgressBar1->setValue(*position);
        key = 0;
    }
}
