// Runs rkdb in a folder as a user's script would, for the tests of its commands.
#pragma once

#include "test_util.h"

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace rk::test {

struct RkdbOutput {
    int status = -1;
    std::string out, err;
};

// rkdb ARGS in `dir`, with a time limit, so that a command that would wait for ever fails
// instead.
inline RkdbOutput runRkdb(const TempDir& dir, const std::string& args) {
    const std::string errFile = dir.file("stderr.txt");
    const std::string cmd =
        "cd " + dir.path() + " && timeout 20 " + RKDB_PATH + " " + args + " 2>" + errFile;
    RkdbOutput o;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return o;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        o.out.append(buf.data(), n);
    const int rc = pclose(p);
    o.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    o.err = readAll(errFile);
    return o;
}

} // namespace rk::test
