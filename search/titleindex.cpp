#include "titleindex.h"

#include "cp1252.h"
#include "env.h"
#include "record.h"

#include <algorithm>
#include <array>

namespace rk::search {

namespace {

constexpr std::array<const char*, kFieldChoiceCount> kCaptions = {
    "ALL Fields", "Titles", "Stars", "Producer", "Director", "Rating",
    "Year",       "ID",     "User1", "User2",    "User3",    "User4"};

// The field of each single-field choice (item 0 is the whole record, item 2 the four stars).
constexpr std::array<const char*, kFieldChoiceCount> kFieldOf = {
    nullptr, "TITLE", nullptr, "PRODUCER", "DIRECTOR", "RATING",
    "YEAR",  "ID",    "USER1", "USER2",    "USER3",    "USER4"};

constexpr std::array<const char*, 4> kStars = {"STAR1", "STAR2", "STAR3", "STAR4"};

const dbf::FieldDef* findField(const std::vector<dbf::FieldDef>& fields, std::string_view name) {
    for (const auto& f : fields)
        if (cp1252::upper(f.name) == name) return &f;
    return nullptr;
}

} // namespace

std::string titlesIndexPath(const std::string& dataDir) {
    return findFileNoCase(dataDir, kTitlesIndexFile);
}

bool indexFileExists(const std::string& indexPath) {
    return Env::standard()->exists(indexPath);
}

const char* fieldChoiceCaption(int item) {
    return item >= 0 && item < kFieldChoiceCount ? kCaptions[item] : nullptr;
}

int fieldChoiceByCaption(std::string_view caption) {
    const std::string want = cp1252::upper(caption);
    for (int i = 0; i < kFieldChoiceCount; ++i)
        if (cp1252::upper(kCaptions[i]) == want) return i;
    return -1;
}

void entryText(std::string_view image, const std::vector<dbf::FieldDef>& fields, std::string* out) {
    out->clear();
    if (!image.empty()) *out += image[0];
    for (const auto& f : fields) {
        out->append(dbf::rawField(image, f));
        *out += kFieldBreak;
    }
    *out += '\0';
}

std::string entryText(std::string_view image, const std::vector<dbf::FieldDef>& fields) {
    std::string text;
    entryText(image, fields, &text);
    return text;
}

Result<FieldText> FieldText::make(const std::vector<dbf::FieldDef>& fields, int choice) {
    if (choice < 0 || choice >= kFieldChoiceCount)
        return Status::invalid("no such field choice: " + std::to_string(choice));
    FieldText ft;
    if (choice == 0) {
        ft.whole_ = true;
        ft.fields_ = fields;
        return ft;
    }
    std::vector<const char*> names;
    if (choice == 2)
        names.assign(kStars.begin(), kStars.end());
    else
        names.push_back(kFieldOf[choice]);
    for (const char* name : names) {
        const dbf::FieldDef* f = findField(fields, name);
        if (!f) return Status::notFound(std::string("the table has no field ") + name);
        ft.fields_.push_back(*f);
    }
    return ft;
}

std::string_view FieldText::of(std::string_view image) {
    if (whole_) {
        entryText(image, fields_, &buf_);
        return buf_;
    }
    buf_.clear();
    for (const auto& f : fields_) {
        buf_.append(dbf::rawField(image, f));
        buf_ += kFieldBreak;
    }
    return buf_;
}

int64_t tableStamp(const store::Table& titles) {
    // FNV-1a over the layout, kept to 62 bits so that it is stored as a positive integer.
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::string_view bytes) {
        for (unsigned char c : bytes) {
            h ^= c;
            h *= 1099511628211ull;
        }
    };
    mix(std::to_string(titles.recSize()));
    for (const auto& f : titles.fields())
        mix(f.name + ':' + f.type + std::to_string(f.length) + '.' + std::to_string(f.decimals) +
            ';');
    return static_cast<int64_t>(h >> 2);
}

namespace {

// Why the index does not belong to the table when it should hold `entries` entry numbers;
// ok when it does.
Status mismatch(FtsIndex& ix, const store::Table& titles, uint32_t entries) {
    std::string why;
    if (ix.stale())
        why = "a change of the titles was not carried into it";
    else if (!ix.tableStamp())
        why = "it was made by an earlier version of the program";
    else if (*ix.tableStamp() != tableStamp(titles))
        why = "it was made from a table with other fields";
    else if (ix.lastEntry() != entries)
        why = "it has entries for " + std::to_string(ix.lastEntry()) +
              " records, and the titles table has " + std::to_string(entries);
    if (why.empty()) return Status::ok();
    const std::string name = ix.path().substr(ix.path().find_last_of('/') + 1);
    return Status::corruption(name + " does not match the titles table (" + why +
                              "), so it needs to be rebuilt");
}

} // namespace

Status checkTitlesIndex(TFts& fts, const store::Table& titles) {
    FtsIndex* ix = fts.index();
    if (!ix) return Status::invalid("no search index is open");
    return mismatch(*ix, titles, titles.recCount());
}

Status checkTitlesIndex(FtsIndex& ix, const store::Table& titles, uint32_t entries) {
    return mismatch(ix, titles, entries);
}

namespace {

// Reads candidate records in increasing order. One read covers the following candidates as
// long as each lies at most kGap records after the one before (and all within kWindow), so that
// dense results cost few reads and sparse ones read little that they do not use.
class CandidateReader {
public:
    CandidateReader(dbf::DbfFile* file, size_t recSize) : file_(file), size_(recSize) {}

    // `at` indexes `recnos`, which is increasing; the record's image or an error.
    Status get(const std::vector<uint32_t>& recnos, size_t at, std::string_view* image) {
        const uint32_t recno = recnos[at];
        if (recno < first_ || recno >= first_ + count_) {
            uint32_t last = recno;
            for (size_t k = at + 1;
                 k < recnos.size() && recnos[k] - last <= kGap && recnos[k] < recno + kWindow; ++k)
                last = recnos[k];
            count_ = 0;
            buf_.resize(size_t(last - recno + 1) * size_);
            RK_RETURN_IF_ERROR(file_->readRecords(recno, last - recno + 1, buf_.data()));
            first_ = recno;
            count_ = last - recno + 1;
        }
        *image = std::string_view(buf_.data() + size_t(recno - first_) * size_, size_);
        return Status::ok();
    }

private:
    static constexpr uint32_t kWindow = 64;
    static constexpr uint32_t kGap = 4;
    dbf::DbfFile* file_;
    size_t size_;
    std::string buf_;
    uint32_t first_ = 0, count_ = 0;
};

} // namespace

Result<MarkReport> markMatches(TFts& fts, store::Table& titles, std::string_view query,
                               int fieldChoice) {
    auto text = FieldText::make(titles.fields(), fieldChoice);
    if (!text) return text.status();
    if (!titles.dbf()) return Status::invalid("the titles table is not open");
    MarkReport report;
    // The candidates, in increasing record order; those beyond the table's end belong to an
    // index older than the table.
    std::vector<uint32_t> recnos;
    const uint32_t total = titles.recCount();
    for (;;) {
        const int32_t n = fts.FtsNextRec();
        if (n < 0) return fts.lastStatus();
        if (n == 0) break;
        ++report.candidates;
        if (uint32_t(n) <= total) recnos.push_back(uint32_t(n));
    }

    const int previous = titles.setOrder(0);
    CandidateReader reader(titles.dbf(), titles.recSize());
    Status failure;
    for (size_t i = 0; i < recnos.size(); ++i) {
        std::string_view image;
        if (!(failure = reader.get(recnos, i, &image))) break;
        if (dbf::isDeleted(image)) {
            ++report.deleted;
            continue;
        }
        if (fts.FtsVerify(text->of(image), query, 4) != 1) continue;
        if (!(failure = titles.setQueryBit(recnos[i], true))) break;
        ++report.matches;
    }
    titles.setOrder(previous);
    const Status top = titles.goTop();
    if (!failure) return failure;
    if (!top) return top;
    return report;
}

std::string matchesFoundText(uint32_t matches) {
    return std::to_string(matches) + (matches == 1 ? " Match Found." : " Matches Found.");
}

Result<SearchResult> searchTitles(store::Table& titles, const std::string& indexPath,
                                  std::string_view query, int fieldChoice) {
    if (fieldChoice < 0 || fieldChoice >= kFieldChoiceCount)
        return Status::invalid("no such field choice: " + std::to_string(fieldChoice));
    store::ShowDeleted filterOff(titles);
    SearchResult result;
    if (!indexFileExists(indexPath)) {
        result.outcome = SearchOutcome::IndexMissing;
        return result;
    }
    TFts fts;
    if (fts.FtsOpen(indexPath, 20, 1) > 0) {
        if (Status fits = checkTitlesIndex(fts, titles); !fits) {
            result.outcome = SearchOutcome::NeedsRebuild;
            result.detail = fits;
            return result;
        }
    }
    RK_RETURN_IF_ERROR(titles.query(""));
    const int32_t set = fts.FtsSet(query);
    if (set == kFtsNotUsable) {
        result.outcome = SearchOutcome::NotUsable;
        result.detail = fts.lastStatus();
        return result;
    }
    if (set != 0) {
        auto marked = markMatches(fts, titles, query, fieldChoice);
        if (!marked) return marked.status();
        result.report = *marked;
    }
    result.outcome = result.report.matches > 0 ? SearchOutcome::Found : SearchOutcome::NothingFound;
    fts.FtsClose();
    return result;
}

} // namespace rk::search
