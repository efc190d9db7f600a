// File access behind a small interface, so that tests can fail writes, cut files short
// and flip bytes (see FaultEnv in tests), and so that only env_posix.cpp knows the
// operating system.
#pragma once

#include "status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rk {

// What identifies a file's state without reading it: its size and the time it was last
// written (nanoseconds since the epoch; 0 when the file layer keeps no time).
struct FileStamp {
    uint64_t size = 0;
    int64_t modified = 0;
    bool operator==(const FileStamp& o) const { return size == o.size && modified == o.modified; }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

enum class OpenMode {
    ReadOnly,
    ReadWrite,
    // A new file, read-write, under a name of its own (a temporary file that is renamed into
    // place when complete): whatever holds the name is removed first (a leftover of an
    // interrupted run, or a link someone planted: the link goes, never what it points to),
    // and the file is made only if nobody takes the name meanwhile, never through a link.
    Create,
    // The file as it is, or a new empty one when there is none (never through a link): for
    // lock files that several programs open at once.
    OpenOrCreate,
};

enum class LockMode {
    None,
    Shared,    // others may read, none may hold it exclusively
    Exclusive, // nobody else, in this process or another
};

// A read-only view of a file's first size() bytes, for reads in random order that would
// otherwise cost a system call each. Bytes that vanish meanwhile (another program cut the file
// short) give an IOError, never a crash.
class FileView {
public:
    virtual ~FileView() = default;
    virtual uint64_t size() const = 0;
    virtual Status copy(uint64_t offset, void* buf, size_t n) = 0;
    // Copies n bytes from each of `count` places `stride` bytes apart, the first at offset, one
    // after another into buf (count * n bytes): a field of many records in one call.
    virtual Status gather(uint64_t offset, uint64_t stride, size_t n, size_t count, void* buf);
    // A hint that those bytes are copied soon; it never fails (bytes gone are not fetched).
    virtual void prefetch(uint64_t /*offset*/, size_t /*n*/) {}
    // A hint that those bytes are not needed again soon: the process lets go of their pages
    // (the file's cache keeps them).
    virtual void release(uint64_t /*offset*/, uint64_t /*n*/) {}
};

class File {
public:
    virtual ~File() = default;
    // Reads up to n bytes at offset; *got tells how many came (fewer only at end of file).
    virtual Status read(uint64_t offset, void* buf, size_t n, size_t* got) = 0;
    // Writes all n bytes at offset, extending the file if needed.
    virtual Status write(uint64_t offset, const void* buf, size_t n) = 0;
    virtual Status size(uint64_t* out) = 0;
    virtual Status truncate(uint64_t length) = 0;
    // Flushes to stable storage (power loss). Writes survive a killed process without it.
    virtual Status sync() = 0;
    // Asks the system to start writing bytes [offset, offset + length) to stable storage and
    // returns without waiting, so that a later sync() of a large new file has little left to
    // wait for. Only a hint: it makes nothing durable, and layers without it do nothing.
    virtual void startWriteBack(uint64_t offset, uint64_t length) {
        (void)offset;
        (void)length;
    }
    // Size and time of the last write. The default has the size only (modified 0).
    virtual Status stamp(FileStamp* out);
    // Changes the lock this handle holds (shared to exclusive and back) without waiting:
    // Locked when another handle prevents it. A failed change may leave the handle with no
    // lock. Layers without locks say NotSupported.
    virtual Status relock(LockMode mode);
    // A view of the file as it is now; NotSupported where the layer has none (read instead).
    virtual Result<std::unique_ptr<FileView>> view();
    const std::string& path() const { return path_; }

protected:
    explicit File(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

class Env {
public:
    virtual ~Env() = default;
    // Opens a file and takes the lock; a file held by someone else gives Status::Locked
    // with a message that names it.
    virtual Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode,
                                               LockMode lock) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual Status remove(const std::string& path) = 0;
    // Atomically replaces `to` with `from`. A `to` that exists and is not a regular file (a
    // device, a named pipe, a link) is refused, not replaced (see replaceable).
    virtual Status rename(const std::string& from, const std::string& to) = 0;
    // Flushes a folder's entries to stable storage: the names that renames and new files put
    // there survive a power cut only after it.
    virtual Status syncDir(const std::string& dir) = 0;
    // OK when `path` is free or a regular file that a rename may replace; what else holds the
    // name (a device, a named pipe, a folder, a symbolic link) is refused with a message
    // that names it. Writers check it before they write their temporary file.
    virtual Status replaceable(const std::string& path) = 0;
    // Makes a folder and the folders above it that are missing. Layers without folders (in
    // memory) have nothing to make.
    virtual Status makeDir(const std::string& /*dir*/) { return Status::ok(); }

    // rename(from, to), then syncDir of to's folder: a temporary file put in place for good.
    Status replace(const std::string& from, const std::string& to);

    // The process's real file system.
    static Env* standard();
};

// Finds `name` in `dir` without regard to case ("VIDEO.DBF" finds "video.dbf"). Returns the
// path of the existing file, or dir/name when there is none.
std::string findFileNoCase(const std::string& dir, const std::string& name);

// Same folder and base name with another extension, found without regard to case
// ("/d/VIDEO.DBF", ".cdx" -> "/d/VIDEO.CDX" or "/d/video.cdx" if that exists).
std::string siblingFile(const std::string& path, const std::string& extension);

// The folder of a path ("." for a bare name).
std::string folderOf(const std::string& path);

} // namespace rk
