#include "scratch_env.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace rk {

namespace {

// A file whose syncs are skipped: its bytes are not meant to survive a power cut.
class UnsyncedFile : public File {
public:
    explicit UnsyncedFile(std::unique_ptr<File> inner)
        : File(inner->path()), inner_(std::move(inner)) {}
    Status read(uint64_t offset, void* buf, size_t n, size_t* got) override {
        return inner_->read(offset, buf, n, got);
    }
    Status write(uint64_t offset, const void* buf, size_t n) override {
        return inner_->write(offset, buf, n);
    }
    Status size(uint64_t* out) override { return inner_->size(out); }
    Status truncate(uint64_t length) override { return inner_->truncate(length); }
    Status sync() override { return Status::ok(); }
    Status stamp(FileStamp* out) override { return inner_->stamp(out); }
    Status relock(LockMode mode) override { return inner_->relock(mode); }
    Result<std::unique_ptr<FileView>> view() override { return inner_->view(); }

private:
    std::unique_ptr<File> inner_;
};

} // namespace

Result<std::unique_ptr<ScratchEnv>> ScratchEnv::make() {
    std::error_code ec;
    fs::path base;
    if (const char* t = std::getenv("TMPDIR"); t && *t)
        base = t;
    else
        base = "/tmp";
    static std::atomic<unsigned> serial{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path dir = base / ("rk-scratch-" + std::to_string(now) + "-" +
                                     std::to_string(serial.fetch_add(1)));
        if (fs::create_directory(dir, ec) && !ec) {
            fs::permissions(dir, fs::perms::owner_all, fs::perm_options::replace, ec);
            return std::unique_ptr<ScratchEnv>(new ScratchEnv(dir.string()));
        }
    }
    return Status::notSupported("no scratch folder can be made under " + base.string() +
                                (ec ? ": " + ec.message() : std::string()));
}

ScratchEnv::~ScratchEnv() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string ScratchEnv::place(const std::string& path) const {
    std::string name = path;
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';
    return dir_ + "/" + name;
}

Result<std::unique_ptr<File>> ScratchEnv::open(const std::string& path, OpenMode mode,
                                               LockMode lock) {
    auto f = Env::standard()->open(place(path), mode, lock);
    if (!f) return f.status();
    return std::unique_ptr<File>(new UnsyncedFile(std::move(*f)));
}

bool ScratchEnv::exists(const std::string& path) {
    return Env::standard()->exists(place(path));
}

Status ScratchEnv::remove(const std::string& path) {
    return Env::standard()->remove(place(path));
}

Status ScratchEnv::rename(const std::string& from, const std::string& to) {
    return Env::standard()->rename(place(from), place(to));
}

Status ScratchEnv::replaceable(const std::string& path) {
    return Env::standard()->replaceable(place(path));
}

} // namespace rk
