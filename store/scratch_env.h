// Files that live as long as the object that holds them, in a folder of its own under the
// system's temporary folder (TMPDIR, else /tmp), removed with everything in it when the
// object goes. It stands in for files held in memory where they may be large (the index of a
// big table rebuilt for a read-only session): their bytes then sit in the page cache and on
// disk, not in the process. Nothing is synced: the files are not meant to outlive the run.
#pragma once

#include "env.h"

#include <memory>
#include <string>

namespace rk {

class ScratchEnv : public Env {
public:
    // A scratch folder of its own; NotSupported when none can be made (no writable
    // temporary folder), so that the caller may fall back to memory.
    static Result<std::unique_ptr<ScratchEnv>> make();
    ~ScratchEnv() override;
    ScratchEnv(const ScratchEnv&) = delete;
    ScratchEnv& operator=(const ScratchEnv&) = delete;

    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode,
                                       LockMode lock) override;
    bool exists(const std::string& path) override;
    Status remove(const std::string& path) override;
    Status rename(const std::string& from, const std::string& to) override;
    Status syncDir(const std::string&) override { return Status::ok(); }
    Status replaceable(const std::string& path) override;

    const std::string& folder() const { return dir_; }

private:
    explicit ScratchEnv(std::string dir) : dir_(std::move(dir)) {}
    // Every name of the caller's becomes one file of the folder.
    std::string place(const std::string& path) const;

    std::string dir_;
};

} // namespace rk
