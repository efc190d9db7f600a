// The catalogue's pack with covers and loans beside the titles against the same pack without
// them: one title in ten deleted; with side data, a cover on one title in ten (all kept) and a
// loan on one in a hundred (half of them on deleted titles, which the pack drops). Each
// iteration packs a fresh copy; the copy and the set-up are not timed. Process CPU time counts
// both threads of the index build.
#include "bench_data.h"
#include "catalogue_engine.h"
#include "cdx.h"
#include "record.h"
#include "sidedata.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <memory>

using namespace rk;
namespace fs = std::filesystem;

namespace {

// A copy of the catalogue of n titles in a folder of its own, without side data.
std::string scratchCatalogue(uint32_t n, const std::string& use = "pack") {
    const std::string source = bench::indexedTitles(n);
    const fs::path dir =
        fs::path(source).parent_path().parent_path() / ("side-" + use + "-" + std::to_string(n));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path from = fs::path(source).parent_path();
    for (const char* name : {"Cats.dbf", "Cats.CDX"})
        if (fs::exists(from / name)) fs::copy_file(from / name, dir / name);
    fs::copy_file(source, dir / "VIDEO.DBF");
    fs::last_write_time(dir / "VIDEO.DBF", fs::last_write_time(source));
    fs::copy_file(store::structuralIndexPath(source, Env::standard()), dir / "VIDEO.CDX");
    return dir.string() + "/";
}

// Rows appended straight to a side table in one batch (the engine adds them one at a time,
// each flushed, which would make the set-up take hours).
bool appendRows(const std::string& path, const std::vector<std::string>& rows) {
    store::Table t(path);
    if (!t.open()) return false;
    store::Batch batch(t);
    for (const auto& r : rows)
        if (!t.appendRecord(r)) return false;
    return batch.finish().isOk();
}

bool prepare(const std::string& dir, uint32_t n, bool side) {
    catalogue::Catalogue c;
    if (!c.open(dir)) return false;
    store::Table& titles = c.titles();
    {
        store::Batch batch(titles);
        for (uint32_t r = 1; r <= n; r += 10)
            if (!titles.go(r) || !titles.deleteRecord()) return false;
        if (!batch.finish()) return false;
    }
    if (!side) return true;
    // The side tables made as the engine makes them, with a first row each.
    const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10", 24);
    if (!c.sideData().setCoverBytes(5, png, "bench") ||
        !c.sideData().lend(6, "bench", {2026, 1, 1}))
        return false;
    std::vector<std::string> covers, loans;
    std::string img;
    store::Table probeCovers(findFileNoCase(dir, catalogue::kCoversFile));
    store::Table probeLoans(findFileNoCase(dir, catalogue::kLoansFile));
    c.close();
    if (!probeCovers.open() || !probeLoans.open()) return false;
    catalogue::Catalogue reader;
    if (!reader.open(dir)) return false;
    for (uint32_t r = 15; r <= n; r += 10) {
        if (!reader.titles().dbf()->readRecord(r, &img)) return false;
        std::string row = probeCovers.dbf()->blankRecord();
        if (!dbf::setNumber(row, *probeCovers.field("RECNO"), r)) return false;
        dbf::setString(row, *probeCovers.field("FPRINT"),
                       catalogue::titleFingerprint(reader.titles(), img));
        dbf::setString(row, *probeCovers.field("FRONT"), "cover-" + std::to_string(r) + ".png");
        covers.push_back(row);
    }
    for (uint32_t r = 101; r <= n; r += 100) {
        const uint32_t recno = (r / 100) % 2 ? r : r + 5; // every other one on a deleted title
        if (!reader.titles().dbf()->readRecord(recno, &img)) return false;
        std::string row = probeLoans.dbf()->blankRecord();
        if (!dbf::setNumber(row, *probeLoans.field("RECNO"), recno)) return false;
        dbf::setString(row, *probeLoans.field("FPRINT"),
                       catalogue::titleFingerprint(reader.titles(), img));
        dbf::setString(row, *probeLoans.field("PERSON"), "Person " + std::to_string(r));
        dbf::setDate(row, *probeLoans.field("LENT"), {2026, 1, 1});
        loans.push_back(row);
    }
    reader.close();
    const std::string coversPath = probeCovers.path(), loansPath = probeLoans.path();
    probeCovers.close();
    probeLoans.close();
    return appendRows(coversPath, covers) && appendRows(loansPath, loans);
}

void BM_CataloguePack(benchmark::State& state) {
    const uint32_t n = uint32_t(state.range(0));
    const bool side = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string dir = scratchCatalogue(n);
        if (!prepare(dir, n, side)) state.SkipWithError("set-up failed");
        {
            catalogue::Catalogue c;
            if (!c.open(dir)) state.SkipWithError("open failed");
            if (side && !c.sideData().verify()) state.SkipWithError("verify failed");
            state.ResumeTiming();
            auto packed = c.pack({});
            state.PauseTiming();
            if (!packed || !packed->sideFailure) state.SkipWithError("pack failed");
        }
        state.ResumeTiming();
    }
    state.SetLabel(side ? "with covers and loans" : "titles alone");
}

// The first use of the covers in a session compares every row with its title (a catalogue
// changed by another program is found there); after it, a title's cover is one seek in
// COVERS.CDX and one read of the title. Set up once, on a copy with side data.
class Prepared {
public:
    explicit Prepared(uint32_t n) : dir_(scratchCatalogue(n, "lookup")) {
        ok_ = prepare(dir_, n, true);
    }
    const std::string& dir() const { return dir_; }
    bool ok() const { return ok_; }

private:
    std::string dir_;
    bool ok_ = false;
};

Prepared& preparedOf(uint32_t n) {
    static std::map<uint32_t, std::unique_ptr<Prepared>> made;
    auto& p = made[n];
    if (!p) p = std::make_unique<Prepared>(n);
    return *p;
}

void BM_FirstCoverOfASession(benchmark::State& state) {
    Prepared& p = preparedOf(uint32_t(state.range(0)));
    if (!p.ok()) state.SkipWithError("set-up failed");
    for (auto _ : state) {
        state.PauseTiming();
        catalogue::Catalogue c;
        if (!c.open(p.dir())) state.SkipWithError("open failed");
        state.ResumeTiming();
        auto path = c.sideData().cover(15);
        if (!path || path->empty()) state.SkipWithError("no cover");
    }
}

void BM_CoverOfATitle(benchmark::State& state) {
    const uint32_t n = uint32_t(state.range(0));
    Prepared& p = preparedOf(n);
    if (!p.ok()) state.SkipWithError("set-up failed");
    catalogue::Catalogue c;
    if (!c.open(p.dir()) || !c.sideData().cover(15)) state.SkipWithError("open failed");
    uint32_t r = 1;
    for (auto _ : state) {
        r = (r * 7919 + 13) % n + 1;
        auto path = c.sideData().cover(r);
        if (!path) state.SkipWithError("lookup failed");
        benchmark::DoNotOptimize(path);
    }
}

BENCHMARK(BM_FirstCoverOfASession)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_CoverOfATitle)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_CataloguePack)
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);

} // namespace

BENCHMARK_MAIN();
