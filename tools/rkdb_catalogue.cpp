// rkdb's way into the catalogue engine, and the reading of --from files.
#include "rkdb.h"

#include "catalogue.h"
#include "catalogue_engine.h"
#include "env.h"
#include "table.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace rkdb {

namespace {

// A longer line is not a line of a --from file.
constexpr size_t kMaxLine = size_t(1) << 20;

} // namespace

std::string tablePath(const std::string& arg) {
    std::error_code ec;
    if (std::filesystem::is_directory(arg, ec))
        return rk::findFileNoCase(arg, rk::catalogue::kTitlesFile);
    return arg;
}

OpenCatalogue::OpenCatalogue() : catalogue_(std::make_unique<rk::catalogue::Catalogue>()) {
    catalogue_->setTextIndexNotice([this](const rk::Status& why) {
        missed_ = true;
        std::cerr << "rkdb: note: the change is made, but " << catalogue_->textIndexPath()
                  << " could not be kept current: " << escapeControls(why.message())
                  << "; rebuild it with: rkdb index-text " << catalogue_->titles().path() << "\n";
    });
}

OpenCatalogue::~OpenCatalogue() = default;

int OpenCatalogue::open(const std::string& path) {
    return open(path, rk::store::TableOptions{});
}

int OpenCatalogue::open(const std::string& path, const rk::store::TableOptions& options) {
    const rk::Status s = catalogue_->openTable(tablePath(path), options);
    if (!s) return fail(exitFor(s), s.message());
    for (const auto& n : catalogue_->titles().notices())
        std::cerr << "rkdb: note: " << escapeControls(n) << "\n";
    return kOk;
}

rk::store::Table& OpenCatalogue::table() {
    return catalogue_->titles();
}

int OpenCatalogue::done(int rc) const {
    return rc == kOk && missed_ ? kProblem : rc;
}

int buildTextIndex(rk::catalogue::Catalogue& c) {
    uint32_t failed = 0;
    auto report = c.buildTextIndex([&](int32_t r) {
        if (r < 0 && failed++ < 10) std::cerr << "rkdb: Error Adding Key: " << r << "\n";
        return true;
    });
    if (!report) return fail(exitFor(report.status()), report.status().message());
    std::cerr << "rkdb: indexed " << report->records << " records into " << c.textIndexPath();
    if (report->failed) std::cerr << " (" << report->failed << " could not be added)";
    std::cerr << "\n";
    return report->failed ? kProblem : kOk;
}

int forEachLine(const std::string& file,
                const std::function<int(size_t number, const std::string& line)>& fn) {
    // The file layer refuses what is not a regular file (a named pipe or a device could be read
    // for ever) and says what it is.
    if (auto checked = rk::Env::standard()->open(file, rk::OpenMode::ReadOnly, rk::LockMode::None);
        !checked)
        return fail(kFileError, "cannot read " + file + ": " + checked.status().message());
    std::ifstream in(file, std::ios::binary);
    if (!in) return fail(kFileError, "cannot read " + file);
    std::string line;
    size_t number = 0;
    for (;;) {
        line.clear();
        bool ended = false;
        for (int c; (c = in.get()) != EOF;) {
            if (c == '\n') {
                ended = true;
                break;
            }
            if (line.size() >= kMaxLine)
                return fail(kProblem, file + " line " + std::to_string(number + 1) +
                                          ": longer than 1 MiB, which no record can hold");
            line += char(c);
        }
        if (!ended && line.empty()) break;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (int rc = fn(number, line)) return rc;
        if (!ended) break;
    }
    if (in.bad()) return fail(kFileError, "cannot read " + file);
    return kOk;
}

} // namespace rkdb
