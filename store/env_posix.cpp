// The operating-system file layer (POSIX). The only file of the engine that knows the OS.
#include "env.h"

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rk {

Status File::stamp(FileStamp* out) {
    out->modified = 0;
    return size(&out->size);
}

Status File::relock(LockMode) {
    return Status::notSupported(path_ + ": this file layer has no locks");
}

Status FileView::gather(uint64_t offset, uint64_t stride, size_t n, size_t count, void* buf) {
    for (size_t i = 0; i < count; ++i)
        RK_RETURN_IF_ERROR(copy(offset + i * stride, static_cast<char*>(buf) + i * n, n));
    return Status::ok();
}

Result<std::unique_ptr<FileView>> File::view() {
    return Status::notSupported(path_ + ": this file layer has no views");
}

namespace {

std::string errnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Reads through a mapping fault (SIGBUS) when the file was cut short behind the mapping. A
// copy from a view runs under a guard: the handler jumps back to it, and the copy reports an
// error. Faults outside a guard go to whatever handled SIGBUS before.
thread_local sigjmp_buf* tBusGuard = nullptr;
struct sigaction gPreviousBus;

void onBus(int sig, siginfo_t* info, void* context) {
    if (tBusGuard) siglongjmp(*tBusGuard, 1);
    if (gPreviousBus.sa_flags & SA_SIGINFO) {
        gPreviousBus.sa_sigaction(sig, info, context);
    } else if (gPreviousBus.sa_handler != SIG_DFL && gPreviousBus.sa_handler != SIG_IGN) {
        gPreviousBus.sa_handler(sig);
    } else {
        // Back to the default: the faulting access runs again and ends the process.
        ::sigaction(SIGBUS, &gPreviousBus, nullptr);
    }
}

void installBusHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction sa;
        std::memset(&sa, 0, sizeof sa);
        sa.sa_sigaction = onBus;
        // NODEFER: the jump out of the handler leaves SIGBUS unblocked for the next fault.
        sa.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&sa.sa_mask);
        ::sigaction(SIGBUS, &sa, &gPreviousBus);
    });
}

// Outside the guarded function, so that nothing it changes lives in that function's frame.
[[gnu::noinline]] void gatherFrom(const char* from, uint64_t stride, size_t n, size_t count,
                                  char* out) {
    for (size_t i = 0; i < count; ++i, out += n, from += stride)
        std::memcpy(out, from, n);
}

class PosixView : public FileView {
public:
    PosixView(std::string path, const char* base, uint64_t size)
        : path_(std::move(path)), base_(base), size_(size) {}
    ~PosixView() override {
        if (size_) ::munmap(const_cast<char*>(base_), size_);
    }
    uint64_t size() const override { return size_; }
    Status copy(uint64_t offset, void* buf, size_t n) override {
        if (offset > size_ || n > size_ - offset)
            return Status::ioError(path_ + ": a read beyond the end of the file");
        return guarded([&] { std::memcpy(buf, base_ + offset, n); });
    }
    Status gather(uint64_t offset, uint64_t stride, size_t n, size_t count, void* buf) override {
        if (count == 0) return Status::ok();
        const uint64_t last = offset + (count - 1) * stride;
        if (last < offset || last > size_ || n > size_ - last)
            return Status::ioError(path_ + ": a read beyond the end of the file");
        return guarded(
            [&] { gatherFrom(base_ + offset, stride, n, count, static_cast<char*>(buf)); });
    }
    // Runs a copy out of the mapping; a bus error (the file cut short meanwhile) ends it with
    // an error instead of the process.
    template <typename Copy> Status guarded(const Copy& copy) {
        sigjmp_buf guard;
        sigjmp_buf* volatile outer = tBusGuard;
        if (sigsetjmp(guard, 0) != 0) {
            tBusGuard = outer;
            return Status::ioError(path_ + " was cut short by another program while it was read");
        }
        tBusGuard = &guard;
        copy();
        tBusGuard = outer;
        return Status::ok();
    }
    void release(uint64_t offset, uint64_t n) override {
        // Whole pages inside the range only: a neighbour's bytes may be wanted again.
        const uint64_t page = uint64_t(::sysconf(_SC_PAGESIZE));
        const uint64_t from = (offset + page - 1) / page * page;
        const uint64_t to = std::min(size_, offset + n) / page * page;
        if (to > from) ::madvise(const_cast<char*>(base_) + from, size_t(to - from), MADV_DONTNEED);
    }
    // A prefetch instruction never faults, even where the file was cut short.
    void prefetch(uint64_t offset, size_t n) override {
        if (offset >= size_) return;
        const uint64_t end = std::min<uint64_t>(size_, offset + n);
        for (uint64_t at = offset; at < end; at += 64)
            __builtin_prefetch(base_ + at);
    }

private:
    std::string path_;
    const char* base_;
    uint64_t size_;
};

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a named pipe";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "something else";
}

class PosixFile : public File {
public:
    PosixFile(std::string path, int fd) : File(std::move(path)), fd_(fd) {}
    ~PosixFile() override {
        if (fd_ >= 0) ::close(fd_); // closing also releases the lock
    }

    Status read(uint64_t offset, void* buf, size_t n, size_t* got) override {
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pread(fd_, static_cast<char*>(buf) + done, n - done,
                                static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                return Status::ioError(errnoText("cannot read", path_));
            }
            if (r == 0) break;
            done += static_cast<size_t>(r);
        }
        *got = done;
        return Status::ok();
    }

    Status write(uint64_t offset, const void* buf, size_t n) override {
        size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(fd_, static_cast<const char*>(buf) + done, n - done,
                                 static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                return Status::ioError(errnoText("cannot write", path_));
            }
            done += static_cast<size_t>(r);
        }
        return Status::ok();
    }

    Status size(uint64_t* out) override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return Status::ioError(errnoText("cannot stat", path_));
        *out = static_cast<uint64_t>(st.st_size);
        return Status::ok();
    }

    Status truncate(uint64_t length) override {
        if (::ftruncate(fd_, static_cast<off_t>(length)) != 0)
            return Status::ioError(errnoText("cannot truncate", path_));
        return Status::ok();
    }

    Status sync() override {
        if (::fsync(fd_) != 0) return Status::ioError(errnoText("cannot flush", path_));
        return Status::ok();
    }

    void startWriteBack(uint64_t offset, uint64_t length) override {
#ifdef __linux__
        // A failure only means the final sync does the writing.
        (void)::sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(length),
                                SYNC_FILE_RANGE_WRITE);
#else
        (void)offset;
        (void)length;
#endif
    }

    Status stamp(FileStamp* out) override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) return Status::ioError(errnoText("cannot stat", path_));
        out->size = static_cast<uint64_t>(st.st_size);
        out->modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        return Status::ok();
    }

    Status relock(LockMode mode) override {
        int op = mode == LockMode::Exclusive ? LOCK_EX
                 : mode == LockMode::Shared  ? LOCK_SH
                                             : LOCK_UN;
        if (::flock(fd_, op | LOCK_NB) == 0) return Status::ok();
        if (errno == EWOULDBLOCK) return Status::locked(path_ + " is in use by another program");
        return Status::ioError(errnoText("cannot lock", path_));
    }

    Result<std::unique_ptr<FileView>> view() override {
        uint64_t n = 0;
        RK_RETURN_IF_ERROR(size(&n));
        if (n == 0) return std::unique_ptr<FileView>(new PosixView(path_, nullptr, 0));
        void* p = ::mmap(nullptr, n, PROT_READ, MAP_SHARED, fd_, 0);
        if (p == MAP_FAILED) return Status::ioError(errnoText("cannot map", path_));
        installBusHandler();
        return std::unique_ptr<FileView>(new PosixView(path_, static_cast<const char*>(p), n));
    }

private:
    int fd_;
};

class PosixEnv : public Env {
public:
    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode,
                                       LockMode lock) override {
        int flags = O_CLOEXEC;
        switch (mode) {
        case OpenMode::ReadOnly:
            flags |= O_RDONLY;
            break;
        case OpenMode::ReadWrite:
            flags |= O_RDWR;
            break;
        case OpenMode::Create:
            // A temporary name: what holds it is unlinked (a link itself, never its target),
            // and the new file is made only where the name is then free.
            if (::unlink(path.c_str()) != 0 && errno != ENOENT)
                return Status::ioError(errnoText("cannot replace", path));
            flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
            break;
        case OpenMode::OpenOrCreate:
            flags |= O_RDWR | O_CREAT | O_NOFOLLOW;
            break;
        }
        // Opened without blocking, so that a named pipe in a file's place cannot hold the
        // program up before it is refused below; reads and writes block again after.
        int fd = ::open(path.c_str(), flags | O_NONBLOCK, 0644);
        if (fd < 0) {
            if (errno == ENOENT) return Status::notFound("no such file: " + path);
            if (errno == ELOOP || (errno == EEXIST && mode == OpenMode::Create))
                return Status::ioError(path + " is a link or was taken by another program " +
                                       "meanwhile; it is not written through");
            return Status::ioError(errnoText("cannot open", path));
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 ||
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            int err = errno;
            ::close(fd);
            errno = err;
            return Status::ioError(errnoText("cannot open", path));
        }
        if (!S_ISREG(st.st_mode)) {
            ::close(fd);
            return Status::ioError(path + " is not a regular file but " + kindOf(st.st_mode) +
                                   "; only a file can be opened as a table or an index");
        }
        if (lock != LockMode::None) {
            // flock locks belong to the open file description: a second open of the same
            // file conflicts, in this process as in another.
            int op = (lock == LockMode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
            if (::flock(fd, op) != 0) {
                int err = errno;
                ::close(fd);
                if (err == EWOULDBLOCK)
                    return Status::locked(path + " is in use by another program");
                errno = err;
                return Status::ioError(errnoText("cannot lock", path));
            }
        }
        return std::unique_ptr<File>(new PosixFile(path, fd));
    }

    bool exists(const std::string& path) override {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0;
    }

    Status remove(const std::string& path) override {
        if (::unlink(path.c_str()) != 0) {
            if (errno == ENOENT) return Status::notFound("no such file: " + path);
            return Status::ioError(errnoText("cannot delete", path));
        }
        return Status::ok();
    }

    Status rename(const std::string& from, const std::string& to) override {
        RK_RETURN_IF_ERROR(replaceable(to));
        if (::rename(from.c_str(), to.c_str()) != 0)
            return Status::ioError(errnoText("cannot rename " + from + " to", to));
        return Status::ok();
    }

    Status makeDir(const std::string& dir) override {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) return Status::ioError("cannot create the folder " + dir + ": " + ec.message());
        return Status::ok();
    }

    Status syncDir(const std::string& dir) override {
        int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return Status::ioError(errnoText("cannot open the folder", dir));
        // Some file systems cannot flush a folder (EINVAL): their entries are as safe as they get.
        const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
        const int err = errno;
        ::close(fd);
        errno = err;
        return ok ? Status::ok() : Status::ioError(errnoText("cannot flush the folder", dir));
    }

    Status replaceable(const std::string& path) override {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return Status::ok();
            return Status::ioError(errnoText("cannot look at", path));
        }
        if (S_ISREG(st.st_mode)) return Status::ok();
        return Status::ioError(
            path + " is " +
            (S_ISLNK(st.st_mode) ? std::string("a symbolic link") : kindOf(st.st_mode)) +
            ", not a regular file; it is not replaced");
    }
};

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

} // namespace

Env* Env::standard() {
    static PosixEnv env;
    return &env;
}

std::string findFileNoCase(const std::string& dir, const std::string& name) {
    namespace fs = std::filesystem;
    fs::path d = dir.empty() ? fs::path(".") : fs::path(dir);
    fs::path exact = d / name;
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact.string();
    for (fs::directory_iterator it(d, ec), end; !ec && it != end; it.increment(ec)) {
        if (equalsNoCase(it->path().filename().string(), name)) return it->path().string();
    }
    return exact.string();
}

Status Env::replace(const std::string& from, const std::string& to) {
    RK_RETURN_IF_ERROR(rename(from, to));
    return syncDir(folderOf(to));
}

std::string folderOf(const std::string& path) {
    const std::string dir = std::filesystem::path(path).parent_path().string();
    return dir.empty() ? std::string(".") : dir;
}

std::string siblingFile(const std::string& path, const std::string& extension) {
    namespace fs = std::filesystem;
    fs::path p(path);
    std::string name = p.stem().string() + extension;
    fs::path dir = p.parent_path();
    return findFileNoCase(dir.empty() ? std::string(".") : dir.string(), name);
}

} // namespace rk
