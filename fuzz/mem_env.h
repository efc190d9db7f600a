// An in-memory file system for fuzz targets: parsers read the fuzzer's bytes as a file.
#pragma once

#include "env.h"

#include <cstring>
#include <map>

namespace rk::fuzz {

class MemEnv : public Env {
public:
    std::map<std::string, std::string> files;

    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode, LockMode) override {
        if (mode == OpenMode::Create) files[path].clear();
        auto it = files.find(path);
        if (it == files.end()) return Status::notFound("no such file: " + path);
        return std::unique_ptr<File>(new MemFile(path, &it->second));
    }
    bool exists(const std::string& path) override { return files.count(path) != 0; }
    Status remove(const std::string& path) override {
        return files.erase(path) ? Status::ok() : Status::notFound(path);
    }
    Status rename(const std::string& from, const std::string& to) override {
        auto it = files.find(from);
        if (it == files.end()) return Status::notFound(from);
        files[to] = it->second;
        files.erase(from);
        return Status::ok();
    }

private:
    class MemFile : public File {
    public:
        MemFile(std::string path, std::string* data) : File(std::move(path)), data_(data) {}
        Status read(uint64_t off, void* buf, size_t n, size_t* got) override {
            *got = off >= data_->size() ? 0 : std::min<uint64_t>(n, data_->size() - off);
            if (*got) std::memcpy(buf, data_->data() + off, *got);
            return Status::ok();
        }
        Status write(uint64_t off, const void* buf, size_t n) override {
            if (off + n > (64u << 20)) return Status::ioError("too large");
            if (data_->size() < off + n) data_->resize(off + n);
            std::memcpy(data_->data() + off, buf, n);
            return Status::ok();
        }
        Status size(uint64_t* out) override {
            *out = data_->size();
            return Status::ok();
        }
        Status truncate(uint64_t len) override {
            data_->resize(len);
            return Status::ok();
        }
        Status sync() override { return Status::ok(); }

    private:
        std::string* data_;
    };
};

} // namespace rk::fuzz
