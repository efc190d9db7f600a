// The main window's full-text search: the Find command, the build of Titles.ia when it is
// missing, and the ending of a search that found nothing.
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

namespace {

// How often a build lets the window repaint (it reads many records per millisecond).
constexpr int kRepaintMs = 15;

void say(QWidget* owner, const QString& text) {
    rk::fw::prompt().message(owner, text, QString(), rk::fw::Icon::None, rk::fw::Buttons::Ok);
}

} // namespace

// Builds Titles.ia from every record of the titles file when it does not exist, or opens it
// when it does; either way the index is left open in Fts1 for the caller to close. The main
// titles table is closed meanwhile and a second table object reads the file; reopened, the
// main table takes up its query and order again.
bool TForm1::UseTitles(bool rebuild) {
    if (!Table1->checkBrowseMode().isOk()) return false; // the post's failure was reported
    const std::string path = ftsPath_.toStdString();
    const bool missing = !rk::search::indexFileExists(path);
    const bool exists = !missing && !rebuild;
    // Told while the window still shows the titles.
    if (missing)
        say(this, QStringLiteral("Need to create a Titles Index for the Database. This only "
                                 "needs to be done for new database files or Packing the "
                                 "database."));
    rk::Status failure;
    {
        // Every physical record, deleted ones too, has its entry in the index.
        titles().close();
        Table1->setActive(false);
        rk::store::TableOptions options;
        options.hideDeleted = false;
        rk::store::Table table4(titles().path(), options);
        failure = table4.open();
        if (failure.isOk() && exists) {
            Fts1.FtsOpen(path);
        } else if (failure.isOk()) {
            ProgressBar1->setRange(0, int(std::min<uint32_t>(table4.recCount(), INT32_MAX)));
            ProgressBar1->setValue(0);
            ProgressBar1->show();
            setStatusPanelText(1, QStringLiteral("Indexing..."));
            StatusBar1->repaint();
            Hourglass wait;
            int32_t last = 0;
            QElapsedTimer sinceRepaint;
            sinceRepaint.start();
            const auto built = rk::search::buildTitlesIndex(
                Fts1, table4, path, [this, &last, &sinceRepaint](int32_t result) {
                    if (result < 0)
                        say(this, QStringLiteral("Error Adding Key: ") + QString::number(result));
                    else
                        ProgressBar1->setValue(result);
                    last = result;
                    // The window repaints and the bar moves; the user's input waits, so that
                    // no command runs while the titles table is closed.
                    if (sinceRepaint.elapsed() >= kRepaintMs) {
                        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                        sinceRepaint.restart();
                    }
                    return true;
                });
            if (!built.isOk()) failure = built.status();
            if (last > 0) ProgressBar1->setValue(last);
            ProgressBar1->hide();
            ProgressBar1->setValue(0);
            setStatusPanelText(1, QStringLiteral("Ready..."));
        }
        table4.close();
    }
    const rk::Status reopened = titles().open();
    Table1->setActive(true);
    if (!reopened.isOk())
        MyException(QStringLiteral("UseTitles"),
                    QStringLiteral("the titles table could not be opened again: ") +
                        QString::fromStdString(reopened.message()));
    if (!failure.isOk()) {
        MyException(QStringLiteral("UseTitles"), QString::fromStdString(failure.message()));
        return false;
    }
    say(this, QStringLiteral("Indexing Complete!"));
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

    const std::string path = ftsPath_.toStdString();
    const bool exists = rk::search::indexFileExists(path);
    // An index that no longer belongs to the titles (a change it missed, a pack by another
    // program) would answer wrongly: it is made anew instead.
    rk::Status fits;
    if (exists && Fts1.FtsOpen(path) > 0) fits = rk::search::checkTitlesIndex(Fts1, titles());
    Fts1.FtsClose();
    if (!exists || !fits.isOk()) {
        if (!exists)
            say(this, QStringLiteral("Need to build the search index. You can begin searching "
                                     "after it's complete."));
        else
            say(this, QStringLiteral("The search index no longer matches the catalogue:\n%1\n\n"
                                     "It is built again now. You can begin searching after "
                                     "it's complete.")
                          .arg(QString::fromStdString(fits.message())));
        if (!UseTitles(exists)) say(this, QStringLiteral("Index file not created yet."));
        Fts1.FtsClose();
        return;
    }

    // Any category or marked view ends here.
    if (!Table1->setQuery(std::string()).isOk()) return;
    int32_t set = 0;
    bool marked = false;
    rk::search::MarkReport found;
    rk::Status failure;
    {
        // Deleted titles take part while the matches are marked (they are counted, not
        // shown); the filter is back as it was on every way out.
        rk::store::ShowDeleted deleted(titles());
        Fts1.FtsOpen(path);
        set = Fts1.FtsSet(query);
        if (set != rk::search::kFtsNotUsable && set != 0) {
            Hourglass wait;
            Table1->disableControls();
            marked = true;
            const auto result = rk::search::markMatches(Fts1, titles(), query, find->fieldChoice());
            if (result.isOk())
                found = result.value();
            else
                failure = result.status();
            // The lists read the result once the deleted titles are hidden again (below).
        }
        Fts1.FtsClose();
    }
    if (marked) {
        Table1->refresh();
        Table1->enableControls();
    }

    if (set == rk::search::kFtsNotUsable) {
        say(this, QStringLiteral("No Search Index created yet. Select Pack Database from the File "
                                 "menu."));
    } else if (!failure.isOk()) {
        MyException(QStringLiteral("FindButClick"), QString::fromStdString(failure.message()));
        rk::fw::prompt().message(this,
                                 QStringLiteral("The search could not be completed:\n%1")
                                     .arg(QString::fromStdString(failure.message())),
                                 QString(), rk::fw::Icon::Warning, rk::fw::Buttons::Ok);
    } else if (found.matches == 0) {
        NotFound();
    } else {
        rk::fw::inform(this, QString::number(found.matches) + QStringLiteral(" Matches Found."));
    }
}

// A search that found nothing leaves the titles table at its end.
void TForm1::NotFound() {
    // A failed move leaves no current title either: both ways the lists show none.
    rk::ignore(Table1->last(), "the end is wanted; a failure leaves no current title too");
    rk::ignore(Table1->next(), "the end is wanted; a failure leaves no current title too");
    say(this, QStringLiteral("Text not found!"));
}
