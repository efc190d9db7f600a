// Side tables: opening and making them, the rows of a title, and keeping the rows with their
// titles through changes, packs and changes made behind the catalogue's back.
#include "sidedata.h"

#include "sidetable.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <unordered_map>

namespace rk::catalogue {

namespace {

constexpr uint8_t kRecnoWidth = 7;

std::vector<dbf::FieldDef> laidOut(std::vector<dbf::FieldDef> fields) {
    uint32_t offset = 1;
    for (auto& f : fields) {
        f.offset = offset;
        offset += f.length;
    }
    return fields;
}

uint64_t fnv(uint64_t h, std::string_view bytes) {
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

uint64_t fingerprintValue(const store::Table& titles, std::string_view image) {
    static const char* const kFields[] = {"TITLE",    "ID",       "FORMAT", "YEAR",
                                          "DIRECTOR", "PRODUCER", "RUNTIME"};
    uint64_t h = 14695981039346656037ull;
    for (const char* name : kFields) {
        if (const dbf::FieldDef* f = titles.field(name)) h = fnv(h, dbf::trimmedField(image, *f));
        h = fnv(h, "\x1f");
    }
    return h;
}

std::string hex(uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016" PRIx64, v);
    return buf;
}

std::string join(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

} // namespace

std::string titleFingerprint(const store::Table& titles, std::string_view image) {
    return hex(fingerprintValue(titles, image));
}

bool Loan::overdue(const dbf::Date& today) const {
    if (!out() || due.year == 0) return false;
    return std::tie(due.year, due.month, due.day) < std::tie(today.year, today.month, today.day);
}

// ---------------------------------------------------------------------------------------------
// SideTable

SideTable::SideTable(const char* name, std::vector<dbf::FieldDef> fields, Env* env)
    : table(std::string(), {}, env), name_(name) {
    fields.insert(fields.begin(), {{"RECNO", 'N', kRecnoWidth}, {"FPRINT", 'C', 16}});
    fields_ = laidOut(std::move(fields));
}

std::string SideTable::row(uint32_t recno, const std::string& fingerprint) {
    std::string image = table.dbf() ? table.dbf()->blankRecord() : std::string();
    rk::ignore(setRecno(image, recno), "a record number always fits seven digits");
    setFingerprint(image, fingerprint);
    return image;
}

std::string SideTable::key(uint32_t recno) {
    std::string digits = std::to_string(recno);
    return std::string(kRecnoWidth - std::min<size_t>(kRecnoWidth, digits.size()), ' ') + digits;
}

// ---------------------------------------------------------------------------------------------
// SideData

SideData::SideData(store::Table& titles, Env* env)
    : titles_(titles), env_(env),
      covers_(std::make_unique<SideTable>(
          kCoversFile, std::vector<dbf::FieldDef>{{"FRONT", 'C', 80}, {"BACK", 'C', 80}}, env)),
      loans_(std::make_unique<SideTable>(
          kLoansFile,
          std::vector<dbf::FieldDef>{
              {"PERSON", 'C', 50}, {"LENT", 'D', 8}, {"DUE", 'D', 8}, {"RETURNED", 'D', 8}},
          env)) {
    covers_->what = "cover";
    loans_->what = "loan";
}

SideData::~SideData() = default;

void SideData::setDir(const std::string& dir) {
    close();
    dir_ = dir;
}

void SideData::close() {
    for (SideTable* t : {covers_.get(), loans_.get()}) {
        t->table.close();
        t->checked = false;
    }
}

std::string SideData::thumbnailFolder() const {
    return join(join(dir_, kCoversFolder), "thumbs");
}

Status SideData::open(SideTable& t, bool create) {
    if (t.table.isOpen()) return Status::ok();
    if (dir_.empty() || !titles_.isOpen()) return Status::invalid("no catalogue is open");
    const std::string path = findFileNoCase(dir_, t.name());
    if (!env_->exists(path)) {
        if (!create) return Status::ok();
        if (titles_.dbf() && titles_.dbf()->readOnly())
            return Status::invalid("the catalogue is open for reading only");
        // Made under another name and renamed into place, the index first: a table that is
        // there is whole.
        const std::string tmp = join(dir_, std::string("~") + t.name());
        {
            RK_RETURN_IF_ERROR(dbf::DbfFile::create(tmp, t.fields(), {}, env_));
            store::Table made(tmp, {}, env_);
            RK_RETURN_IF_ERROR(made.open());
            RK_RETURN_IF_ERROR(made.createIndex({{"RECNO", "STR(RECNO,7)", ""}}));
        }
        RK_RETURN_IF_ERROR(env_->replace(siblingFile(tmp, ".CDX"), siblingFile(path, ".CDX")));
        RK_RETURN_IF_ERROR(env_->replace(tmp, path));
    }
    store::TableOptions options;
    if (titles_.dbf() && titles_.dbf()->readOnly()) {
        // Read beside other readers, as the titles are.
        options.readOnly = true;
        options.exclusive = false;
    }
    t.table.setPath(path);
    t.table.setOptions(options);
    RK_RETURN_IF_ERROR(t.table.open());
    for (const auto& f : t.fields()) {
        const dbf::FieldDef* have = t.table.field(f.name);
        if (!have || have->type != f.type || have->length < f.length) {
            t.table.close();
            return Status::corruption(path + " is not a side table of this program: its field " +
                                      f.name + " is missing or of another kind");
        }
    }
    const int tag = t.table.tagArea("RECNO");
    if (tag == 0) {
        // Another program dropped the index: made again.
        RK_RETURN_IF_ERROR(t.table.createIndex({{"RECNO", "STR(RECNO,7)", ""}}));
    }
    t.table.setOrder(t.table.tagArea("RECNO"));
    for (const auto& n : t.table.notices())
        tell(path + ": " + n);
    if (!t.checked) {
        // Rows compared with their titles: a catalogue changed behind our back is found here.
        t.checked = true;
        bool stale = false;
        std::string row;
        for (uint32_t r = 1; r <= t.table.recCount() && !stale; ++r) {
            RK_RETURN_IF_ERROR(t.table.dbf()->readRecord(r, &row));
            if (dbf::isDeleted(row)) continue;
            auto title = titleImage(t.recnoOf(row));
            RK_RETURN_IF_ERROR(title.status());
            stale = title->empty() || titleFingerprint(titles_, *title) != t.fingerprintOf(row);
        }
        if (stale) RK_RETURN_IF_ERROR(repair(t));
    }
    return Status::ok();
}

Result<std::string> SideData::titleImage(uint32_t recno) {
    std::string image;
    if (recno == 0 || !titles_.dbf() || recno > titles_.recCount()) return image;
    RK_RETURN_IF_ERROR(titles_.dbf()->readRecord(recno, &image));
    return image;
}

Status SideData::rowsOf(SideTable& t, uint32_t recno, std::vector<uint32_t>* rows) {
    rows->clear();
    if (!t.table.isOpen()) return Status::ok();
    bool found = false;
    RK_RETURN_IF_ERROR(t.table.seek(SideTable::key(recno), true, &found));
    while (!t.table.eof()) {
        const std::string& row = t.table.record();
        if (t.recnoOf(row) != recno) break;
        if (!dbf::isDeleted(row)) rows->push_back(t.table.recNo());
        RK_RETURN_IF_ERROR(t.table.skip(1));
    }
    return Status::ok();
}

Status SideData::repair(SideTable& t) {
    // Every title's fingerprint, and for each fingerprint the one title that has it (0 when
    // several have).
    const uint32_t count = titles_.recCount();
    std::vector<uint64_t> prints(size_t(count) + 1, 0);
    std::unordered_map<uint64_t, uint32_t> owner;
    {
        const uint32_t len = titles_.recSize();
        const uint32_t chunk = std::max<uint32_t>(1, (1u << 20) / std::max<uint32_t>(len, 1));
        std::string buf;
        for (uint32_t first = 1; first <= count; first += chunk) {
            const uint32_t n = std::min(chunk, count - first + 1);
            buf.resize(size_t(n) * len);
            RK_RETURN_IF_ERROR(titles_.dbf()->readRecords(first, n, buf.data()));
            for (uint32_t i = 0; i < n; ++i) {
                const uint64_t fp =
                    fingerprintValue(titles_, std::string_view(buf).substr(size_t(i) * len, len));
                prints[first + i] = fp;
                auto [it, added] = owner.emplace(fp, first + i);
                if (!added) it->second = 0;
            }
        }
    }
    std::vector<std::string> goneFiles;
    std::vector<std::pair<uint32_t, std::string>> moved, dropped;
    {
        store::Batch batch(t.table);
        RK_RETURN_IF_ERROR(batch.status());
        std::string row;
        for (uint32_t r = 1; r <= t.table.recCount(); ++r) {
            RK_RETURN_IF_ERROR(t.table.dbf()->readRecord(r, &row));
            if (dbf::isDeleted(row)) continue;
            const uint32_t recno = t.recnoOf(row);
            const std::string fp = t.fingerprintOf(row);
            if (recno >= 1 && recno <= count && hex(prints[recno]) == fp) continue;
            const auto found =
                fp.size() == 16 ? owner.find(std::strtoull(fp.c_str(), nullptr, 16)) : owner.end();
            const uint32_t to = found == owner.end() ? 0 : found->second;
            std::vector<uint32_t> there;
            if (to && t.what == "cover") RK_RETURN_IF_ERROR(rowsOf(t, to, &there));
            RK_RETURN_IF_ERROR(t.table.go(r));
            if (to && there.empty()) {
                RK_RETURN_IF_ERROR(t.setRecno(row, to));
                RK_RETURN_IF_ERROR(t.table.putRecord(row));
                moved.emplace_back(recno, std::to_string(to));
            } else {
                RK_RETURN_IF_ERROR(t.table.deleteRecord());
                if (t.what == "cover")
                    for (const char* f : {"FRONT", "BACK"}) {
                        const auto name = dbf::trimmedField(row, t.field(f));
                        if (!name.empty()) goneFiles.emplace_back(name);
                    }
                dropped.emplace_back(recno, to ? "another title holds one already"
                                               : "no title or more than one matches it");
            }
        }
        RK_RETURN_IF_ERROR(batch.finish());
    }
    removeFiles(goneFiles);
    for (const auto& [from, to] : moved)
        tell("The " + t.what + " kept for record " + std::to_string(from) +
             " belongs to a title that is now record " + to + "; it was moved there.");
    for (const auto& [from, why] : dropped)
        tell("The " + t.what + " kept for record " + std::to_string(from) +
             " no longer matches its title and was dropped (" + why + ").");
    return Status::ok();
}

void SideData::removeFiles(const std::vector<std::string>& names) {
    const std::string folder = join(dir_, kCoversFolder);
    for (const auto& n : names)
        rk::ignore(env_->remove(join(folder, n)),
                   "a cover file nobody names any more is only space");
}

Status SideData::verify() {
    for (SideTable* t : {covers_.get(), loans_.get()}) {
        t->checked = false;
        if (t->table.isOpen()) {
            t->table.close();
        }
        RK_RETURN_IF_ERROR(open(*t, false));
    }
    return Status::ok();
}

Status SideData::titleChanged(uint32_t recno, std::string_view before, std::string_view after) {
    const std::string was = titleFingerprint(titles_, before);
    const std::string now = titleFingerprint(titles_, after);
    if (was == now) return Status::ok();
    for (SideTable* t : {covers_.get(), loans_.get()}) {
        RK_RETURN_IF_ERROR(open(*t, false));
        std::vector<uint32_t> rows;
        RK_RETURN_IF_ERROR(rowsOf(*t, recno, &rows));
        for (uint32_t r : rows) {
            RK_RETURN_IF_ERROR(t->table.go(r));
            std::string row = t->table.record();
            if (t->fingerprintOf(row) != was) continue;
            t->setFingerprint(row, now);
            RK_RETURN_IF_ERROR(t->table.putRecord(row));
        }
    }
    return Status::ok();
}

Result<std::vector<uint32_t>> SideData::renumbering() {
    std::vector<uint32_t> numbers;
    bool any = false;
    for (SideTable* t : {covers_.get(), loans_.get()}) {
        RK_RETURN_IF_ERROR(open(*t, false));
        any = any || (t->table.isOpen() && t->table.recCount() > 0);
    }
    if (!any) return numbers;
    const uint32_t count = titles_.recCount();
    numbers.assign(size_t(count) + 1, 0);
    const uint32_t len = titles_.recSize();
    const uint32_t chunk = std::max<uint32_t>(1, (1u << 20) / std::max<uint32_t>(len, 1));
    std::string buf;
    uint32_t next = 0;
    for (uint32_t first = 1; first <= count; first += chunk) {
        const uint32_t n = std::min(chunk, count - first + 1);
        buf.resize(size_t(n) * len);
        RK_RETURN_IF_ERROR(titles_.dbf()->readRecords(first, n, buf.data()));
        for (uint32_t i = 0; i < n; ++i)
            if (buf[size_t(i) * len] != '*') numbers[first + i] = ++next;
    }
    return numbers;
}

Status SideData::renumber(const std::vector<uint32_t>& newNumbers) {
    for (SideTable* t : {covers_.get(), loans_.get()}) {
        if (!t->table.isOpen()) continue;
        std::vector<std::string> goneFiles;
        {
            store::Batch batch(t->table);
            RK_RETURN_IF_ERROR(batch.status());
            std::string row;
            for (uint32_t r = 1; r <= t->table.recCount(); ++r) {
                RK_RETURN_IF_ERROR(t->table.dbf()->readRecord(r, &row));
                if (dbf::isDeleted(row)) continue;
                const uint32_t recno = t->recnoOf(row);
                const uint32_t to = recno < newNumbers.size() ? newNumbers[recno] : 0;
                if (to == recno) continue;
                RK_RETURN_IF_ERROR(t->table.go(r));
                if (to) {
                    RK_RETURN_IF_ERROR(t->setRecno(row, to));
                    RK_RETURN_IF_ERROR(t->table.putRecord(row));
                } else {
                    RK_RETURN_IF_ERROR(t->table.deleteRecord());
                    if (t == covers_.get())
                        for (const char* f : {"FRONT", "BACK"}) {
                            const auto name = dbf::trimmedField(row, t->field(f));
                            if (!name.empty()) goneFiles.emplace_back(name);
                        }
                }
            }
            RK_RETURN_IF_ERROR(batch.finish());
        }
        RK_RETURN_IF_ERROR(t->table.pack());
        t->table.setOrder(t->table.tagArea("RECNO"));
        removeFiles(goneFiles);
    }
    return Status::ok();
}

} // namespace rk::catalogue
