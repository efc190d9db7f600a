// Helpers shared by the table engine tests: temporary folders and a file layer that fails
// on demand.
#pragma once

#include "env.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace rk::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "rktest-XXXXXX").string();
        char* p = ::mkdtemp(tmpl.data());
        path_ = p ? p : "";
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeAll(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Wraps the real file system; writes fail once `writesLeft` reaches zero.
class FaultEnv : public Env {
public:
    long writesLeft = -1; // -1: never fail

    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode,
                                       LockMode lock) override {
        auto f = Env::standard()->open(path, mode, lock);
        if (!f) return f.status();
        return std::unique_ptr<File>(new FaultFile(std::move(*f), this));
    }
    bool exists(const std::string& path) override { return Env::standard()->exists(path); }
    Status remove(const std::string& path) override { return Env::standard()->remove(path); }
    Status rename(const std::string& from, const std::string& to) override {
        return Env::standard()->rename(from, to);
    }

private:
    class FaultFile : public File {
    public:
        FaultFile(std::unique_ptr<File> inner, FaultEnv* env)
            : File(inner->path()), inner_(std::move(inner)), env_(env) {}
        Status read(uint64_t o, void* b, size_t n, size_t* got) override {
            return inner_->read(o, b, n, got);
        }
        Status write(uint64_t o, const void* b, size_t n) override {
            if (env_->writesLeft == 0) return Status::ioError("injected write failure");
            if (env_->writesLeft > 0) --env_->writesLeft;
            return inner_->write(o, b, n);
        }
        Status size(uint64_t* out) override { return inner_->size(out); }
        Status truncate(uint64_t len) override { return inner_->truncate(len); }
        Status sync() override { return inner_->sync(); }

    private:
        std::unique_ptr<File> inner_;
        FaultEnv* env_;
    };
};

} // namespace rk::test
