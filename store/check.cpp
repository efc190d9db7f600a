#include "check.h"

#include "cdx.h"

#include "dbf.h"
#include "record.h"

#include <charconv>
#include <cstring>

namespace rk::store {

namespace {

bool numberText(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (s.empty()) return true;
    if (s.front() == '+' || s.front() == '-') s.remove_prefix(1);
    if (s.empty()) return false;
    // FoxPro writes asterisks into a numeric field whose value overflowed it; that is damage.
    bool digit = false, point = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

void checkRecord(uint32_t recno, std::string_view img, const std::vector<dbf::FieldDef>& fields,
                 std::vector<std::string>& problems) {
    auto problem = [&](const std::string& what) {
        if (problems.size() < 1000)
            problems.push_back("record " + std::to_string(recno) + ": " + what);
        else if (problems.size() == 1000)
            problems.push_back("more problems follow; only the first 1000 are listed");
    };
    if (img[0] != dbf::kLiveFlag && img[0] != dbf::kDeletedFlag)
        problem("the deletion flag is neither blank nor '*'");
    for (const auto& f : fields) {
        std::string_view raw = dbf::rawField(img, f);
        switch (f.type) {
        case 'N':
        case 'F':
            if (!numberText(raw)) problem("field " + f.name + " holds no number");
            break;
        case 'L':
            if (std::strchr("TtFfYyNn? ", raw[0]) == nullptr || raw[0] == 0)
                problem("logical field " + f.name + " holds '" + std::string(raw) + "'");
            break;
        case 'D':
            if (raw.find_first_not_of(' ') != std::string_view::npos &&
                dbf::getDate(img, f).year == 0)
                problem("date field " + f.name + " holds '" + std::string(raw) + "'");
            break;
        default:
            break;
        }
    }
}

} // namespace

Result<CheckReport> checkTable(const std::string& path, Env* env) {
    dbf::OpenOptions o;
    o.readOnly = true;
    o.exclusive = false;
    auto t = dbf::DbfFile::open(path, o, env);
    if (!t) return t.status();
    dbf::DbfFile& d = **t;
    if (d.hasStructuralIndex()) {
        // An index held by another program, or no file at all, cannot be checked: that is no
        // finding about its contents.
        const std::string cdx = structuralIndexPath(path, env);
        if (env->exists(cdx)) {
            auto held = env->open(cdx, OpenMode::ReadOnly, LockMode::Shared);
            if (!held && (held.status().code() == Status::Code::Locked ||
                          held.status().code() == Status::Code::IOError))
                return held.status();
        }
    }
    CheckReport report;
    for (const auto& diag : d.diagnostics())
        report.problems.push_back(diag);
    uint32_t n = d.recordCount();
    const uint32_t per = 1024;
    std::vector<char> buf(size_t(per) * d.recordLength());
    uint32_t deleted = 0;
    for (uint32_t r = 1; r <= n; r += per) {
        uint32_t k = std::min(per, n - r + 1);
        Status s = d.readRecords(r, k, buf.data());
        if (!s) {
            report.problems.push_back(s.message());
            break;
        }
        for (uint32_t i = 0; i < k; ++i) {
            std::string_view img(buf.data() + size_t(i) * d.recordLength(), d.recordLength());
            if (img[0] == dbf::kDeletedFlag) ++deleted;
            checkRecord(r + i, img, d.fields(), report.problems);
        }
    }
    report.notes.push_back(std::to_string(n) + " records (" + std::to_string(deleted) +
                           " deleted), " + std::to_string(d.fields().size()) + " fields");
    checkStructuralIndex(&d, path, env, &report.problems, &report.notes);
    return report;
}

} // namespace rk::store
