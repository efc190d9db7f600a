// The main window's full-text search: the Find command, the build of Titles.ia when it is
// missing or no longer matches the titles, and the ending of a search that found nothing.
#include "form1.h"

#include "appwindows.h"
#include "findform.h"
#include "hourglass.h"
#include "prompt.h"
#include "text.h"
#include "titleindex.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QStatusBar>

using rk::mainwin::Hourglass;
using rk::search::SearchOutcome;

namespace {

// How often a build lets the window repaint (it reads many records per millisecond).
constexpr int kRepaintMs = 15;

void say(QWidget* owner, const QString& text) {
    rk::fw::prompt().message(owner, text, QString(), rk::fw::Icon::None, rk::fw::Buttons::Ok);
}

} // namespace

// Builds Titles.ia anew from every record of the titles table, the progress in the status bar;
// "Indexing Complete!" at the end when `tellDone`.
bool TForm1::UseTitles(bool tellDone) {
    if (!Table1->checkBrowseMode().isOk()) return false; // the post's failure was reported
    if (!catalogue().hasTextIndex())
        say(this, QStringLiteral("Need to create a Titles Index for the Database. This only "
                                 "needs to be done for new database files or Packing the "
                                 "database."));
    ProgressBar1->setRange(0, int(std::min<uint32_t>(titles().recCount(), INT32_MAX)));
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    setStatusPanelText(1, QStringLiteral("Indexing..."));
    StatusBar1->repaint();
    rk::Status failure;
    {
        Hourglass wait;
        // The lists read nothing while the build runs: the user's input waits, so that no
        // command changes the titles meanwhile.
        Table1->disableControls();
        int32_t last = 0;
        QElapsedTimer sinceRepaint;
        sinceRepaint.start();
        const auto built = catalogue().buildTextIndex([this, &last, &sinceRepaint](int32_t result) {
            if (result < 0)
                say(this, QStringLiteral("Error Adding Key: ") + QString::number(result));
            else
                ProgressBar1->setValue(result);
            last = result;
            if (sinceRepaint.elapsed() >= kRepaintMs) {
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                sinceRepaint.restart();
            }
            return true;
        });
        if (!built.isOk()) failure = built.status();
        if (last > 0) ProgressBar1->setValue(last);
        Table1->enableControls();
    }
    ProgressBar1->hide();
    ProgressBar1->setValue(0);
    setStatusPanelText(1, QStringLiteral("Ready..."));
    if (!failure.isOk()) {
        MyException(QStringLiteral("UseTitles"), QString::fromStdString(failure.message()));
        rk::fw::showStatus(this, QStringLiteral("Index file not created yet."), failure);
        return false;
    }
    if (tellDone) say(this, QStringLiteral("Indexing Complete!"));
    return true;
}

// Finds the titles whose chosen field holds the Find dialog's text: they become the titles
// table's visible set until the next view or category is applied.
void TForm1::FindButClick() {
    TFindForm* find = appWindows().findForm;
    if (!find) return;
    find->execute();
    // Cancel empties the text, and an empty text is what stops the search.
    std::string query = rk::fw::toCp1252(find->searchText());
    if (query.empty()) return;
    query.resize(std::min<size_t>(query.size(), TFindForm::kMaxSearchText));

    // A changed title is posted first. A search that runs ends any category or marked view;
    // one that cannot run (no index, or one to rebuild) leaves the view as it was, builds the
    // index and then runs.
    if (!Table1->checkBrowseMode().isOk()) return;
    const uint32_t current = Table1->recNo();
    for (bool built = false;;) {
        rk::Result<rk::search::SearchResult> result = rk::search::SearchResult{};
        {
            Hourglass wait;
            Table1->disableControls();
            result = catalogue().find(query, find->fieldChoice());
            Table1->refresh();
            Table1->enableControls();
        }
        if (!result.isOk()) {
            MyException(QStringLiteral("FindButClick"),
                        QString::fromStdString(result.status().message()));
            rk::fw::showStatus(this, QStringLiteral("The search could not be completed."),
                               result.status());
            return;
        }
        switch (result->outcome) {
        case SearchOutcome::IndexMissing:
        case SearchOutcome::NeedsRebuild:
            if (built) { // a fresh index that is still not usable: not built again
                say(this, QStringLiteral("The search index could not be made usable. Select "
                                         "Pack Database from the File menu."));
                return;
            }
            if (result->outcome == SearchOutcome::IndexMissing)
                say(this, QStringLiteral("Need to build the search index. Your search runs "
                                         "when it is complete."));
            else
                // An index that no longer belongs to the titles (a change it missed, a pack by
                // another program) would answer wrongly: it is made anew instead.
                say(this, QStringLiteral("The search index no longer matches the catalogue:\n"
                                         "%1\n\nIt is built again now. Your search runs when "
                                         "it is complete.")
                              .arg(QString::fromStdString(result->detail.message())));
            if (!UseTitles(false)) return;
            built = true;
            continue;
        case SearchOutcome::NotUsable:
            nameSet(QStringLiteral("Total Entries: "), QStringLiteral("All Entries"));
            say(this, QStringLiteral("No Search Index created yet. Select Pack Database from the "
                                     "File menu."));
            return;
        case SearchOutcome::NothingFound:
            nameSet(QStringLiteral("Total Entries: "), QStringLiteral("All Entries"));
            NotFound(current);
            return;
        case SearchOutcome::Found:
            nameSet(QStringLiteral("Search Matches: "),
                    QStringLiteral("Found: ") + find->searchText());
            rk::fw::inform(
                this, QString::fromStdString(rk::search::matchesFoundText(result->report.matches)));
            return;
        }
        return;
    }
}

// A search that found nothing shows every title again, with the one that was current still
// current: nothing moves the user away from where they were.
void TForm1::NotFound(uint32_t current) {
    if (current == 0 || !Table1->goTo(current).isOk())
        rk::ignore(Table1->first(), "a failed move leaves no current title, which the lists show");
    say(this, QStringLiteral("Text not found!"));
}
