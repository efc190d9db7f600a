// A process killed at a random moment during a long run of appends and updates: every write
// it reported done is there afterwards and the table (with its indexes) is sound.
#include "catalogue.h"
#include "check.h"
#include "killharness.h"
#include "record.h"
#include "table.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <map>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace rk;

namespace {

std::string titleFor(uint32_t n) {
    return "Title number " + std::to_string(n);
}

// The child: appends titles (and now and then rewrites an earlier one), reporting each
// finished write on the pipe as "A <recno>" or "U <recno> <generation>".
[[noreturn]] void writer(const std::string& path, int fd) {
    // A killed process loses nothing whether or not its writes reach stable storage (that is
    // for power cuts): without the flushes it gets far more writes done before the kill.
    store::TableOptions o;
    o.sync = false;
    store::Table t(path, o);
    if (!t.open()) _exit(2);
    const auto& title = *t.field("TITLE");
    const auto& tapes = *t.field("TAPES");
    for (uint32_t n = 1;; ++n) {
        std::string img = t.dbf()->blankRecord();
        dbf::setString(img, title, titleFor(n));
        auto r = t.appendRecord(img);
        if (!r) _exit(3);
        std::string msg = "A " + std::to_string(*r) + "\n";
        if (n % 7 == 0) {
            uint32_t target = n / 2;
            if (!t.go(target)) _exit(4);
            std::string u = t.record();
            if (!dbf::setNumber(u, tapes, n % 1000)) _exit(5);
            if (!t.putRecord(u)) _exit(6);
            msg += "U " + std::to_string(target) + " " + std::to_string(n % 1000) + "\n";
        }
        if (::write(fd, msg.data(), msg.size()) < 0) _exit(7);
    }
}

} // namespace

TEST(CrashSafety, KilledWriterLosesNoReportedWrite) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 6; ++round) {
        test::TempDir dir;
        ASSERT_TRUE(catalogue::createEmpty(dir.path()).isOk());
        std::string path = findFileNoCase(dir.path(), "VIDEO.DBF");
        const test::KillResult run = test::runAndKill([&](int fd) { writer(path, fd); },
                                                      std::chrono::milliseconds(20 + rng() % 200));
        ASSERT_TRUE(run.killed) << "the writer stopped by itself: " << run.waitStatus;
        const std::string& reported = run.reported;

        std::map<uint32_t, int> tapesOf;
        uint32_t appended = 0;
        std::istringstream in(reported);
        std::string kind;
        while (in >> kind) {
            uint32_t recno = 0;
            in >> recno;
            if (kind == "A") {
                EXPECT_EQ(recno, appended + 1);
                appended = recno;
            } else {
                int g = 0;
                in >> g;
                tapesOf[recno] = g;
            }
        }
        ASSERT_GT(appended, 0u) << "round " << round;

        auto report = store::checkTable(path);
        ASSERT_TRUE(report.isOk()) << report.status().message();
        store::Table t(path);
        ASSERT_TRUE(t.open().isOk());
        ASSERT_GE(t.recCount(), appended) << "round " << round;
        // At most the one append under way when the kill came may be there unreported.
        EXPECT_LE(t.recCount(), appended + 1);
        for (uint32_t r = 1; r <= appended; ++r) {
            ASSERT_TRUE(t.go(r).isOk());
            ASSERT_EQ(dbf::trimmedField(t.record(), *t.field("TITLE")), titleFor(r)) << r;
        }
        for (const auto& [recno, g] : tapesOf) {
            ASSERT_TRUE(t.go(recno).isOk());
            EXPECT_EQ(dbf::getInt16(t.record(), *t.field("TAPES")), g) << recno;
        }
        t.close();
        // After the open's repairs, the table checks sound.
        auto after = store::checkTable(path);
        ASSERT_TRUE(after.isOk());
        for (const auto& p : after->problems)
            ADD_FAILURE() << "round " << round << ": " << p;
    }
}
