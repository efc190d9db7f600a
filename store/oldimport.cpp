#include "oldimport.h"

#include "record.h"
#include "table.h"

#include <algorithm>
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
            dbf::setString(*image, *f, line.text[size_t(column)]);
        }
    }
    return Status::ok();
}

} // namespace oldfile

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
                                       const std::vector<dbf::FieldDef>& fields, Env* env) {
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
        image.assign(recordLength, ' ');
        s = oldfile::fillRecord(oldfile::parseLine(line), fields, &image);
        if (!s)
            return Status::invalid("line " + std::to_string(counts.records) + ": " + s.message());
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
    auto stopped = [&](const Status& why) {
        std::string message = "The import stopped at line " + std::to_string(report->added + 1) +
                              ": " + why.message() + ". " + recordsAdded(report->added) + ".";
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
    auto write = [&]() -> Status {
        if (pending == 0) return Status::ok();
        const uint32_t first = titles.recCount() + 1;
        Status s = hooks.commit ? hooks.commit() : Status::ok();
        if (s) {
            written = true;
            auto r = titles.appendRecords(images, pending, upkeep);
            if (!r) s = r.status();
        }
        report->added = titles.recCount() - before;
        if (!s && hooks.abandon) hooks.abandon(std::max(first, titles.recCount() + 1));
        images.clear();
        pending = 0;
        return s;
    };

    LineReader reader(file->get());
    for (;;) {
        bool got = false;
        Status s = reader.next(&line, &got);
        if (s && !got) break;
        if (s) {
            ++report->lines;
            if (hooks.progress) hooks.progress(report->lines);
            image = blank;
            s = oldfile::fillRecord(oldfile::parseLine(line), titles.fields(), &image);
        }
        if (s && hooks.record) s = hooks.record(titles.recCount() + 1 + pending, image);
        if (!s) {
            // What was read before the failing line is still added.
            Status w = write();
            return finish(stopped(w ? s : w));
        }
        images += image;
        if (++pending == group) {
            Status w = write();
            if (!w) return finish(stopped(w));
        }
    }
    Status w = write();
    return finish(w ? w : stopped(w));
}

} // namespace rk::store
