// Runs a writer in a child process, kills it with SIGKILL at a chosen moment and returns what
// it reported through a pipe before it died: the crash tests compare that report with what
// the files hold afterwards.
#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace rk::test {

struct KillResult {
    bool killed = false;  // false: the writer ended by itself before the kill
    int waitStatus = 0;   // as waitpid gave it
    std::string reported; // everything the writer wrote to its report descriptor
};

// `writer` runs in the child with the descriptor to report on; it must not return (it is
// killed, or it ends with _exit). The child is killed `after` its first report (or after its
// start, when it reports nothing within ten seconds), so that a slow start on a busy machine
// does not leave nothing to check.
inline KillResult runAndKill(const std::function<void(int reportFd)>& writer,
                             std::chrono::milliseconds after) {
    KillResult result;
    int fds[2];
    if (::pipe(fds) != 0) return result;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (pid == 0) {
        ::close(fds[0]);
        writer(fds[1]);
        _exit(0);
    }
    ::close(fds[1]);
    pollfd first{fds[0], POLLIN, 0};
    if (::poll(&first, 1, 10000) > 0 && (first.revents & POLLIN)) {
        char buf[4096];
        const ssize_t got = ::read(fds[0], buf, sizeof buf);
        if (got > 0) result.reported.append(buf, size_t(got));
    }
    std::this_thread::sleep_for(after);
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &result.waitStatus, 0);
    result.killed = WIFSIGNALED(result.waitStatus);
    char buf[4096];
    ssize_t got;
    while ((got = ::read(fds[0], buf, sizeof buf)) > 0)
        result.reported.append(buf, size_t(got));
    ::close(fds[0]);
    return result;
}

} // namespace rk::test
