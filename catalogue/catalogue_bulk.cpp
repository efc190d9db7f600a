// The catalogue engine: changes of many titles at once, and maintenance.
#include "catalogue_engine.h"

#include "collection.h"
#include "cp1252.h"
#include "record.h"
#include "sidedata.h"
#include "titletext.h"

#include <algorithm>

namespace rk::catalogue {

namespace {

// A batch of at least this many titles, and a quarter of the table, rebuilds the tags.
constexpr size_t kRebuildAt = 512;
constexpr size_t kGroupBytes = size_t(4) << 20;

std::string records(uint32_t n) {
    return std::to_string(n) + (n == 1 ? " record" : " records");
}

// Re-indexes a table; an index that could not even be opened (the table then opened in record
// order) is made anew with the catalogue's tags, and its first tag becomes the order.
Status reindexTable(store::Table& t, const std::vector<TagDef>& defs,
                    const store::Progress& progress) {
    if (t.index() || !t.dbf() || defs.empty()) return t.reindex(progress);
    std::vector<store::TagSpec> tags;
    for (const auto& d : defs)
        tags.push_back({d.name, d.key, d.forExpr});
    RK_RETURN_IF_ERROR(t.createIndex(tags, progress));
    t.setOrder(t.tagArea(defs.front().name));
    return t.goTop();
}

} // namespace

Result<uint32_t> Catalogue::appendMany(const std::vector<std::string>& images) {
    const uint32_t before = titles_.recCount();
    if (images.empty()) return before + 1;
    // The entries go into one transaction that is committed once the records are in: a process
    // killed between the two leaves an index short of the table, which the next search finds
    // and rebuilds.
    TitleText text;
    Status textStatus = openTitleText(text, before);
    if (textStatus) textStatus = text.begin();
    for (size_t i = 0; textStatus && i < images.size(); ++i)
        textStatus = text.put(before + 1 + uint32_t(i), images[i]);

    // Many titles against the table's size go in large writes, and the tags are built again
    // once at the end of the batch: quicker than keeping every tag key by key.
    const size_t size = titles_.recSize();
    const bool rebuild =
        titles_.index() && images.size() >= kRebuildAt && images.size() >= before / 4 &&
        std::all_of(images.begin(), images.end(), [&](const auto& i) { return i.size() == size; });
    Status written;
    {
        store::Batch batch(titles_);
        written = batch.status();
        std::string group;
        uint32_t inGroup = 0;
        for (size_t i = 0; written && i < images.size(); ++i) {
            if (!rebuild) {
                auto added = titles_.appendRecord(images[i]);
                if (!added) written = added.status();
                continue;
            }
            group += images[i];
            ++inGroup;
            if (group.size() < kGroupBytes && i + 1 < images.size()) continue;
            auto added = titles_.appendRecords(group, inGroup, store::Table::IndexUpkeep::Defer);
            if (!added) written = added.status();
            group.clear();
            inGroup = 0;
        }
        if (written)
            written = batch.finish();
        else
            ignore(batch.finish(), "the records are taken back below");
    }
    if (!written) {
        text.rollback();
        const Status cut = titles_.dropRecordsAfter(before);
        if (titles_.recCount() != before)
            return written.withMessage(
                written.message() + "; the records appended after record " +
                std::to_string(before) + " could not be taken back (" + cut.message() +
                "): the table may hold " + records(titles_.recCount() - before) +
                " of this batch, from " + std::to_string(before + 1) + " on");
        return written.withMessage(written.message() +
                                   "; nothing was added (the table is as it was before)");
    }
    if (textStatus) textStatus = text.commit();
    if (!textStatus) textIndexFailed(textStatus);
    return before + 1;
}

Status Catalogue::updateMany(const std::vector<std::pair<uint32_t, std::string>>& changes) {
    TitleText text;
    Status textStatus = openTitleText(text, titles_.recCount());
    if (textStatus) textStatus = text.begin();
    store::Batch batch(titles_);
    RK_RETURN_IF_ERROR(batch.status());
    size_t done = 0;
    Status written;
    for (const auto& [recno, image] : changes) {
        written = titles_.go(recno);
        std::string before;
        if (written && !side_->dir().empty()) before = titles_.record();
        if (written) written = titles_.putRecord(image);
        if (!written) break;
        titleChanged(recno, before, image);
        if (textStatus) textStatus = text.put(recno, image);
        ++done;
    }
    const Status finished = batch.finish();
    if (textStatus) textStatus = text.commit();
    if (!textStatus) textIndexFailed(textStatus);
    if (!written)
        return written.withMessage(written.message() + "; " + records(uint32_t(done)) +
                                   " were written before it");
    return finished;
}

Status Catalogue::importOld(const std::string& dataFile, const store::OldFileCounts& counts,
                            store::OldImportHooks hooks, store::OldImportReport* report) {
    *report = {};
    if (!titles_.isOpen()) return Status::invalid("the titles table is not open");
    const uint32_t before = titles_.recCount();
    TitleText text;
    if (Status s = openTitleText(text, before); !s) {
        if (text.unusable())
            return Status::invalid("the search index " + textPath_ + " cannot be used (" +
                                   s.message() +
                                   "); nothing was imported. Packing the database rebuilds it.");
        // Entries added now would hide the ones it lacks: it stays wanting a rebuild, and the
        // titles are imported without it.
        textIndexFailed(s);
    }
    uint32_t lastPut = 0;
    if (text.active()) {
        // Each group's entries are committed before the group reaches the table: a process
        // killed during the import leaves an entry for every record written.
        hooks.record = [&](uint32_t recno, std::string_view image) {
            RK_RETURN_IF_ERROR(text.begin());
            RK_RETURN_IF_ERROR(text.put(recno, image));
            lastPut = recno;
            return Status::ok();
        };
        hooks.commit = [&] { return text.commit(); };
    }
    Status s = store::importOldDataFile(titles_, dataFile, counts, hooks, report);
    if (s) return s;
    // All or nothing: what this import added is taken back, with its entries.
    text.rollback();
    const uint32_t added = titles_.recCount() - before;
    const Status cut = titles_.dropRecordsAfter(before);
    if (titles_.recCount() != before)
        return s.withMessage(s.message() + "; the " + records(added) +
                             " it added could not be taken back (" + cut.message() +
                             "): they are records " + std::to_string(before + 1) + " to " +
                             std::to_string(before + added));
    report->added = 0;
    // The entries of the groups that were committed hold numbers the table no longer has: the
    // index is made again from what stays.
    if (text.active() && lastPut > before) {
        text.close();
        if (auto rebuilt = buildTextIndex(); !rebuilt) textIndexFailed(rebuilt.status());
    }
    return s.withMessage(s.message() + "; nothing was imported (the catalogue is as it was)");
}

Result<uint32_t> Catalogue::unmarkAll(const std::function<void(uint32_t recno)>& step,
                                      std::vector<uint32_t>* clearedRecords) {
    TitleText text;
    Status textStatus = openTitleText(text, titles_.recCount());
    if (textStatus) textStatus = text.begin();
    auto cleared = store::clearMarks(titles_, step, [&](uint32_t recno, std::string_view image) {
        if (clearedRecords) clearedRecords->push_back(recno);
        if (textStatus) textStatus = text.put(recno, image);
        return Status::ok();
    });
    if (textStatus) textStatus = text.commit();
    if (!textStatus) textIndexFailed(textStatus);
    return cleared;
}

Result<Catalogue::PackReport> Catalogue::pack(const PackSteps& steps) {
    PackReport report;
    report.titlesBefore = titles_.recCount();
    const bool hadText = hasTextIndex();
    // What each record becomes, for the covers and loans (nothing when there are none).
    auto numbers = side_->renumbering();
    if (!numbers) report.sideFailure = numbers.status();
    RK_RETURN_IF_ERROR(titles_.pack(steps.tables));
    report.titlesKept = titles_.recCount();
    if (numbers && !numbers->empty()) report.sideFailure = side_->renumber(*numbers);
    if (!report.sideFailure) side_->setDir(dir_); // checked afresh at the next use
    if (!report.sideFailure && sideNotice_)
        sideNotice_("The titles are packed, but their covers and loans could not be renumbered (" +
                    report.sideFailure.message() + "); they are checked again when next used.");
    // The records are numbered anew: the full-text index is made anew too.
    if (keepsTextIndex() && (hadText || steps.buildTextIndex)) {
        auto built = buildTextIndex(steps.text);
        if (built) {
            report.textIndexBuilt = true;
            report.text = *built;
        } else {
            report.textFailure = built.status();
        }
    }
    if (categories_.isOpen()) {
        RK_RETURN_IF_ERROR(categories_.pack(steps.tables));
        report.categoriesPacked = true;
    }
    return report;
}

const std::vector<TagDef>* catalogueTagsFor(const std::string& tablePath) {
    const size_t slash = tablePath.find_last_of("/\\");
    const std::string name =
        cp1252::upper(slash == std::string::npos ? tablePath : tablePath.substr(slash + 1));
    if (name == kTitlesFile) return &titleTags();
    if (name == cp1252::upper(kCategoriesFile)) return &categoryTags();
    return nullptr;
}

Status Catalogue::reindex(const store::Progress& progress) {
    const std::vector<TagDef>* tags = catalogueTagsFor(titles_.path());
    if (!titles_.index() && !tags)
        return Status::notSupported(titles_.path() + " has no structural index to rebuild");
    RK_RETURN_IF_ERROR(reindexTable(titles_, tags ? *tags : std::vector<TagDef>{}, progress));
    // The categories' index is made anew only when it could not be opened at all.
    if (categories_.isOpen() && !categories_.index())
        RK_RETURN_IF_ERROR(reindexTable(categories_, categoryTags(), {}));
    return Status::ok();
}

} // namespace rk::catalogue
