// The catalogue engine: the one way to change and find titles. It opens a catalogue folder
// and owns the titles table (VIDEO.DBF), the categories table (Cats.dbf) and the full-text
// index beside them (Titles.ia), and keeps them together: every change of a title goes
// through here, and here alone it is decided when the title's full-text entry is put, removed,
// or the index declared stale. The window's datasets write through it (it is their
// RecordWriter), and so do rkdb and the import.
//
//   change                  table                         Titles.ia (when the file exists)
//   update / post           record written                entry replaced
//   append / post (new)     record appended               entry added
//   remove                  deleted mark set              entry removed
//   recall                  deleted mark cleared          entry put again
//   appendMany, updateMany  one batch, all or nothing     one transaction
//   importOld               groups of records             each group's entries first
//   unmarkAll               MARKED cleared                the changed entries replaced
//   pack                    records renumbered            built anew
//   reindex                 tags rebuilt                  left alone
//
// A change is made even when Titles.ia cannot follow it; the index is then marked stale (so
// that the next search rebuilds it rather than trusting it) and the text-index notice is
// told why. Any other table opened through openTable() is changed with nothing derived.
#pragma once

#include "catalogue.h"
#include "oldimport.h"
#include "recordwriter.h"
#include "status.h"
#include "table.h"
#include "titleindex.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rk::catalogue {

class SideData;

// The catalogue's tags for a table file by its name (VIDEO.DBF, Cats.dbf); null for any
// other table.
const std::vector<TagDef>* catalogueTagsFor(const std::string& tablePath);

class Catalogue final : public store::RecordWriter {
public:
    explicit Catalogue(Env* env = Env::standard());
    ~Catalogue() override;
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // Opens VIDEO.DBF and Cats.dbf in `dir` (names found without regard to case). On failure
    // neither stays open; `failedFile` names the one that could not be opened.
    Status open(const std::string& dir, const store::TableOptions& options = {},
                std::string* failedFile = nullptr);
    // Opens one table for the command line. The titles table (VIDEO.DBF) keeps Titles.ia
    // beside it as open() does; any other table has nothing derived.
    Status openTable(const std::string& path, const store::TableOptions& options = {});
    void close();
    bool isOpen() const { return titles_.isOpen(); }

    const std::string& dir() const { return dir_; }
    // The table opened by openTable(), or the titles.
    store::Table& titles() { return titles_; }
    const store::Table& titles() const { return titles_; }
    // Closed after openTable().
    store::Table& categories() { return categories_; }

    // Whether the titles table keeps a full-text index, and its file: an existing
    // "Titles.ia" in any case of letters in the folder, or the folder and that name.
    bool keepsTextIndex() const { return !textPath_.empty(); }
    const std::string& textIndexPath() const { return textPath_; }
    bool hasTextIndex() const;

    // Told when a change was made but Titles.ia could not follow it.
    using Notice = std::function<void(const Status& why)>;
    void setTextIndexNotice(Notice notice) { notice_ = std::move(notice); }

    // The covers and loans kept beside the titles (sidedata.h), in step with them here.
    SideData& sideData() { return *side_; }
    // Told when side data was found stale, or could not follow a change that was made.
    void setSideDataNotice(std::function<void(const std::string& what)> notice);

    // RecordWriter: the current record of `table`, one of this catalogue's tables.
    Status update(store::Table& table, std::string_view image) override;
    Result<uint32_t> append(store::Table& table, std::string_view image) override;
    Status remove(store::Table& table) override;
    Status recall(store::Table& table) override;

    // The same for a title by number (the current record moves to it).
    Status updateTitle(uint32_t recno, std::string_view image);
    Status removeTitle(uint32_t recno);
    Status recallTitle(uint32_t recno);

    // Appends every image in one batch. All or nothing: when a write fails the table is cut
    // back to where the batch began (and its index and Titles.ia with it), and the Status says
    // so. Returns the first new record's number (the count + 1 when `images` is empty).
    Result<uint32_t> appendMany(const std::vector<std::string>& images);
    // Writes every (record number, image) in one batch. A failure stops at that record; the
    // message says how many were written before it.
    Status updateMany(const std::vector<std::pair<uint32_t, std::string>>& changes);

    // The data file of an earlier version (store/oldimport.h), each group's full-text entries
    // committed before the group reaches the table; lines that cannot be stored are left out.
    // The caller has refused a file whose `counts.shape` is not that layout, unless told to
    // import it all the same. `hooks` may carry the progress callbacks.
    Status importOld(const std::string& dataFile, const store::OldFileCounts& counts,
                     store::OldImportHooks hooks, store::OldImportReport* report);

    // Clears the mark of every visible title; the number cleared. `cleared`, when given, gets
    // the numbers of the titles whose mark was cleared.
    Result<uint32_t> unmarkAll(const std::function<void(uint32_t recno)>& step = {},
                               std::vector<uint32_t>* cleared = nullptr);

    struct PackSteps {
        store::Progress tables;      // each table's pack, 0..100
        search::BuildStep text;      // the build of Titles.ia after it
        bool buildTextIndex = false; // build Titles.ia even when it did not exist
    };
    struct PackReport {
        uint32_t titlesBefore = 0, titlesKept = 0;
        bool categoriesPacked = false;
        bool textIndexBuilt = false;
        search::BuildReport text;
        Status textFailure; // why Titles.ia could not be built (the tables are packed)
        Status sideFailure; // why covers and loans could not be renumbered (found stale later)
    };
    // Packs the titles, then builds Titles.ia from the renumbered titles, then packs the
    // categories when they are open. A failure of the titles' pack leaves their numbers and
    // Titles.ia; a build of Titles.ia that fails is told in the report (an index left from
    // before holds the old numbers, which its check then finds).
    Result<PackReport> pack(const PackSteps& steps);
    // Rebuilds the titles' tags (made anew with the catalogue's tags when the index could not
    // be opened at all), and the categories' when their index could not be opened.
    Status reindex(const store::Progress& progress = {});

    // Titles.ia made anew from the titles.
    Result<search::BuildReport> buildTextIndex(const search::BuildStep& step = {});
    // A full-text search: the matches become the titles' visible set (their query bits).
    Result<search::SearchResult> find(std::string_view query, int fieldChoice);

private:
    bool isTitles(const store::Table& table) const { return &table == &titles_; }
    // Reports a text-index failure of a change that was made.
    void textIndexFailed(const Status& why);
    Status openTitleText(class TitleText& text, uint32_t entries);
    // The side data's part of a title's change.
    void titleChanged(uint32_t recno, const std::string& before, std::string_view after);

    std::string dir_;
    std::string textPath_;
    store::Table titles_;
    store::Table categories_;
    Notice notice_;
    std::unique_ptr<SideData> side_;
    std::function<void(const std::string&)> sideNotice_;
};

} // namespace rk::catalogue
