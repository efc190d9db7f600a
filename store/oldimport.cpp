#include "oldimport.h"

#include "catalogue.h"
#include "record.h"
#include "table.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

namespace rk::store {

namespace oldfile {

const std::array<const char*, kColumns> kColumnField = {
    "RATING",  "FORMAT", "CATEGORY", "TITLE",    "ID",    "COUNTER", "RUNTIME", "USER1", "USER2",
    "SUMMARY", nullptr,  "PRODUCER", "DIRECTOR", "STAR1", "STAR2",   "STAR3",   "USER3", "USER4"};

namespace {

// Calls fn(column, text) for the columns of a line, numbered from 0, texts as written.
template <class Fn> void forEachColumn(std::string_view line, Fn fn) {
    size_t start = 0;
    for (int column = 0;; ++column) {
        const size_t comma = line.find(',', start);
        const size_t end = comma == std::string_view::npos ? line.size() : comma;
        if (!fn(column, line.substr(start, end - start))) return;
        if (comma == std::string_view::npos) return;
        start = comma + 1;
    }
}

std::string withoutQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '"') out += c;
    return out;
}

} // namespace

int64_t counterValue(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return 0;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT32_MAX) + 1) return 0;
    }
    value = negative ? -value : value;
    return value > INT32_MAX ? 0 : value;
}

Line parseLine(std::string_view line) {
    Line out;
    forEachColumn(line, [&](int column, std::string_view raw) {
        if (column >= kColumns) return false;
        const bool noData = raw == kNoData;
        if (column == 0 && noData)
            out.text[0] = std::string(kEmptyTitle);
        else if (column == 1 && noData)
            out.text[1].clear();
        else if (column != kSkippedColumn - 1)
            out.text[size_t(column)] = withoutQuotes(raw);
        return true;
    });
    out.counter = counterValue(out.text[kCounterColumn - 1]);
    return out;
}

int fieldCount(std::string_view firstLine) {
    int count = 0;
    forEachColumn(firstLine, [&](int, std::string_view raw) {
        if (raw.empty()) return false;
        ++count;
        return true;
    });
    return count;
}

Status fillRecord(const Line& line, const std::vector<dbf::FieldDef>& fields, std::string* image) {
    for (int column = 0; column < kColumns; ++column) {
        const char* name = kColumnField[size_t(column)];
        if (!name) continue;
        const auto f = std::find_if(fields.begin(), fields.end(),
                                    [&](const dbf::FieldDef& d) { return d.name == name; });
        if (f == fields.end())
            return Status::invalid(std::string("the titles table has no field ") + name);
        if (column == kCounterColumn - 1) {
            Status s = dbf::setNumber(*image, *f, double(line.counter));
            if (!s)
                return Status::invalid("the counter " + std::to_string(line.counter) +
                                       " in column 6 does not fit the field " + f->name + " (" +
                                       std::to_string(f->length) + " characters)");
        } else {
            // The rule of every way into a table: a field is one line without control
            // characters.
            RK_RETURN_IF_ERROR(dbf::checkFieldText(*f, line.text[size_t(column)]));
            dbf::setString(*image, *f, line.text[size_t(column)]);
        }
    }
    return Status::ok();
}

} // namespace oldfile

namespace {

std::string trimmedUnquoted(std::string_view raw) {
    std::string text;
    for (char c : raw)
        if (c != '"') text += c;
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool isWholeNumber(std::string_view text) {
    size_t i = text.empty() || (text[0] != '+' && text[0] != '-') ? 0 : 1;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

bool sameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A sample of a column for a message: printable ASCII, at most 40 characters.
std::string sample(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, 40))
        out +=
            static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F ? c : '?';
    return text.size() > 40 ? out + "..." : out;
}

void lookAtLine(std::string_view line, const std::vector<std::string>& ratings,
                OldFileShape* shape) {
    if (line.empty() || shape->lines >= OldFileShape::kShapeLines) return;
    ++shape->lines;
    int columns = 0, filled = 0, quoted = 0;
    std::string first, counter;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        const std::string_view raw = line.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (columns == 0) first = trimmedUnquoted(raw);
        if (columns == oldfile::kCounterColumn - 1) counter = trimmedUnquoted(raw);
        ++columns;
        if (!raw.empty()) ++filled;
        if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') ++quoted;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    shape->mostColumns = std::max(shape->mostColumns, columns);
    if (columns > oldfile::kColumns) ++shape->wide;
    if (quoted >= 2 && quoted * 4 >= filled * 3) ++shape->quoted;
    if (!counter.empty() && !isWholeNumber(counter)) {
        if (shape->badCounter++ == 0) shape->counterColumn = counter;
    }
    const bool rating = first.empty() || first == oldfile::kNoData ||
                        std::any_of(ratings.begin(), ratings.end(),
                                    [&](const std::string& r) { return sameLetters(r, first); });
    if (!rating && shape->notRating++ == 0) shape->firstColumn = first;
}

} // namespace

bool OldFileShape::looksOld() const {
    return wide * 2 <= lines && quoted * 2 <= lines && badCounter * 2 <= lines &&
           notRating * 2 <= lines;
}

std::string OldFileShape::problem() const {
    if (looksOld()) return {};
    const std::string of = " of " + std::to_string(lines) + " lines";
    std::vector<std::string> found;
    if (wide * 2 > lines)
        found.push_back("more than 18 columns in " + std::to_string(wide) + of + " (up to " +
                        std::to_string(mostColumns) + ")");
    if (quoted * 2 > lines)
        found.push_back("quotes around the columns in " + std::to_string(quoted) + of);
    if (notRating * 2 > lines)
        found.push_back("a column 1 that is not a rating in " + std::to_string(notRating) + of +
                        " (the first: \"" + sample(firstColumn) + "\")");
    if (badCounter * 2 > lines)
        found.push_back("a column 6 that is not a whole number in " + std::to_string(badCounter) +
                        of + " (the first: \"" + sample(counterColumn) + "\")");
    std::string text = "This is not the data file of an earlier version of Reelkeeper. Found: ";
    for (size_t i = 0; i < found.size(); ++i)
        text += (i ? "; " : "") + found[i];
    return text + ". Expected: one title a line, at most 18 columns separated by commas and "
                  "without quotes around them, column 1 the rating (such as Good, or nodat), "
                  "column 4 the title, column 6 the counter (a whole number).";
}

std::string skippedLinesText(const OldFileCounts& counts) {
    std::string text;
    for (const auto& s : counts.skipped)
        text += "line " + std::to_string(s.line) + ": " + s.reason + "\n";
    if (counts.skippedLines > counts.skipped.size())
        text +=
            "... and " + std::to_string(counts.skippedLines - counts.skipped.size()) + " more\n";
    return text;
}

namespace {

constexpr size_t kReadBlock = size_t(1) << 20;
// A line longer than this is no title: the file is something else.
constexpr size_t kMaxLine = size_t(1) << 20;
// Records written with one table write: while the index takes each group, a group's changed
// index pages stay within its page cache; when it is rebuilt at the end, larger groups mean
// fewer commits of the hooks' changes.
constexpr size_t kGroupBytes = size_t(1) << 20;
constexpr size_t kDeferredGroupBytes = size_t(4) << 20;
// Below this many lines, or a quarter of the table, the index takes the records one group at
// a time; above, rebuilding it once costs less than inserting the keys one by one.
constexpr uint32_t kRebuildLines = 512;

// The lines of a text file, read a block at a time.
class LineReader {
public:
    explicit LineReader(File* file) : file_(file) {}

    // The next line, without its ending; *got is false at the end of the text.
    Status next(std::string* line, bool* got) {
        line->clear();
        *got = false;
        bool partial = false;
        for (;;) {
            if (pos_ == buf_.size()) {
                if (end_) {
                    *got = partial;
                    return Status::ok();
                }
                RK_RETURN_IF_ERROR(fill());
                continue;
            }
            if (skipLf_) {
                skipLf_ = false;
                if (buf_[pos_] == '\n') {
                    ++pos_;
                    continue;
                }
            }
            size_t i = pos_;
            while (i < buf_.size() && buf_[i] != '\r' && buf_[i] != '\n' &&
                   buf_[i] != oldfile::kEndOfText)
                ++i;
            line->append(buf_, pos_, i - pos_);
            if (line->size() > kMaxLine)
                return Status::invalid("line " + std::to_string(lines_ + 1) + " is longer than " +
                                       std::to_string(kMaxLine) +
                                       " characters: this is not an exported data file");
            partial = partial || i > pos_;
            if (i == buf_.size()) {
                pos_ = i;
                continue;
            }
            const char c = buf_[i];
            if (c == oldfile::kEndOfText) {
                end_ = true;
                buf_.clear();
                pos_ = 0;
                *got = partial;
                if (partial) ++lines_;
                return Status::ok();
            }
            pos_ = i + 1;
            skipLf_ = c == '\r';
            *got = true;
            ++lines_;
            return Status::ok();
        }
    }

private:
    Status fill() {
        buf_.resize(kReadBlock);
        size_t got = 0;
        Status s = file_->read(offset_, buf_.data(), buf_.size(), &got);
        if (!s) {
            buf_.clear();
            pos_ = 0;
            return s;
        }
        buf_.resize(got);
        pos_ = 0;
        offset_ += got;
        if (got == 0) end_ = true;
        return Status::ok();
    }

    File* file_;
    std::string buf_;
    size_t pos_ = 0;
    uint64_t offset_ = 0;
    uint32_t lines_ = 0;
    bool end_ = false;
    bool skipLf_ = false;
};

Result<std::unique_ptr<File>> openDataFile(const std::string& path, Env* env) {
    auto file = env->open(path, OpenMode::ReadOnly, LockMode::None);
    if (!file && file.status().code() == Status::Code::NotFound)
        return Status::notFound("the file " + path + " does not exist");
    return file;
}

std::string recordsAdded(uint32_t n) {
    return n == 1 ? "1 record was added" : std::to_string(n) + " records were added";
}

} // namespace

Result<OldFileCounts> countOldDataFile(const std::string& path,
                                       const std::vector<dbf::FieldDef>& fields, Env* env,
                                       const std::vector<std::string>* ratings) {
    if (!ratings) ratings = &catalogue::builtinRatings();
    auto file = openDataFile(path, env);
    if (!file) return file.status();
    LineReader reader(file->get());
    OldFileCounts counts;
    std::string line, image;
    uint32_t recordLength = 1;
    for (const auto& f : fields)
        recordLength = std::max(recordLength, f.offset + f.length);
    for (;;) {
        bool got = false;
        Status s = reader.next(&line, &got);
        if (!s) return s;
        if (!got) break;
        if (counts.records == 0) counts.fields = oldfile::fieldCount(line);
        ++counts.records;
        lookAtLine(line, *ratings, &counts.shape);
        image.assign(recordLength, ' ');
        s = oldfile::fillRecord(oldfile::parseLine(line), fields, &image);
        if (!s) {
            if (counts.skippedLines++ < OldFileCounts::kListedSkips)
                counts.skipped.push_back({counts.records, s.message()});
        } else if (counts.preview.size() < OldFileCounts::kPreviewRecords) {
            counts.preview.emplace_back(counts.records, image);
        }
    }
    return counts;
}

Status importOldDataFile(Table& titles, const std::string& path, const OldFileCounts& counts,
                         const OldImportHooks& hooks, OldImportReport* report, Env* env) {
    *report = {};
    if (!titles.isOpen()) return Status::invalid("the titles table is not open");
    auto file = openDataFile(path, env);
    if (!file) return file.status();

    const uint32_t before = titles.recCount();
    const auto upkeep = counts.records >= kRebuildLines && counts.records >= before / 4
                            ? Table::IndexUpkeep::Defer
                            : Table::IndexUpkeep::Keep;
    const size_t size = titles.recSize();
    const size_t groupBytes =
        upkeep == Table::IndexUpkeep::Defer ? kDeferredGroupBytes : kGroupBytes;
    const uint32_t group = uint32_t(std::max<size_t>(1, groupBytes / size));
    std::string images, line, image;
    uint32_t pending = 0; // records in `images`
    bool written = false; // a group went to the table (or tried to)
    const std::string blank(size, ' ');
    image.reserve(size);

    // A deferred index is brought up to date whatever happened.
    auto finish = [&](Status s) {
        if (upkeep == Table::IndexUpkeep::Defer && written) {
            Status r = titles.reindex(hooks.indexing);
            if (!r && s)
                s = Status::ioError(
                    recordsAdded(report->added) +
                    ", but the index could not be brought up to date: " + r.message());
        }
        return s;
    };
    std::vector<uint32_t> pendingLines; // the line of each record in `images`
    auto stopped = [&](const Status& why, uint32_t at) {
        std::string message = "The import stopped at line " + std::to_string(at) + ": " +
                              why.message() + ". " + recordsAdded(report->added) + ".";
        switch (why.code()) {
        case Status::Code::IOError:
            return Status::ioError(message);
        case Status::Code::Corruption:
            return Status::corruption(message);
        case Status::Code::Locked:
            return Status::locked(message);
        default:
            return Status::invalid(message);
        }
    };
    // Writes the records of the group: the hooks' changes first, so that no record reaches the
    // table before what the hooks keep of it.
    // On failure *line is the line of the first record that is not in the table.
    auto write = [&](uint32_t* stopLine) -> Status {
        if (pending == 0) return Status::ok();
        const uint32_t first = titles.recCount() + 1;
        Status s = hooks.commit ? hooks.commit() : Status::ok();
        if (s) {
            written = true;
            auto r = titles.appendRecords(images, pending, upkeep);
            if (!r) s = r.status();
        }
        report->added = titles.recCount() - before;
        if (!s) {
            const size_t kept = titles.recCount() + 1 - first;
            *stopLine = kept < pendingLines.size() ? pendingLines[kept] : report->lines;
            if (hooks.abandon) hooks.abandon(std::max(first, titles.recCount() + 1));
        }
        images.clear();
        pendingLines.clear();
        pending = 0;
        return s;
    };

    LineReader reader(file->get());
    uint32_t failedLine = 0;
    for (;;) {
        bool got = false;
        Status s = reader.next(&line, &got);
        if (s && !got) break;
        // The line a failure stops at: the one read now.
        const uint32_t reading = report->lines + 1;
        if (s) {
            ++report->lines;
            if (hooks.progress) hooks.progress(report->lines);
            image = blank;
            if (!oldfile::fillRecord(oldfile::parseLine(line), titles.fields(), &image)) {
                ++report->skipped; // countOldDataFile has said why
                continue;
            }
        }
        if (s && hooks.record) s = hooks.record(titles.recCount() + 1 + pending, image);
        if (!s) {
            // What was read before the failing line is still added.
            Status w = write(&failedLine);
            return finish(w ? stopped(s, reading) : stopped(w, failedLine));
        }
        images += image;
        pendingLines.push_back(report->lines);
        if (++pending == group) {
            Status w = write(&failedLine);
            if (!w) return finish(stopped(w, failedLine));
        }
    }
    Status w = write(&failedLine);
    return finish(w ? w : stopped(w, failedLine));
}

} // namespace rk::store
