#include "mem_env.h"

#include <algorithm>
#include <cstring>

namespace rk {

namespace {

class MemFile : public File {
public:
    MemFile(std::string path, std::shared_ptr<std::vector<uint8_t>> data)
        : File(std::move(path)), data_(std::move(data)) {}
    Status read(uint64_t offset, void* buf, size_t n, size_t* got) override {
        *got = offset >= data_->size() ? 0 : std::min<uint64_t>(n, data_->size() - offset);
        if (*got) std::memcpy(buf, data_->data() + offset, *got);
        return Status::ok();
    }
    Status write(uint64_t offset, const void* buf, size_t n) override {
        if (data_->size() < offset + n) data_->resize(offset + n);
        std::memcpy(data_->data() + offset, buf, n);
        return Status::ok();
    }
    Status size(uint64_t* out) override {
        *out = data_->size();
        return Status::ok();
    }
    Status truncate(uint64_t length) override {
        data_->resize(length);
        return Status::ok();
    }
    Status sync() override { return Status::ok(); }

private:
    std::shared_ptr<std::vector<uint8_t>> data_;
};

} // namespace

Result<std::unique_ptr<File>> MemEnv::open(const std::string& path, OpenMode mode, LockMode) {
    auto it = files_.find(path);
    if (mode == OpenMode::Create) {
        if (it == files_.end())
            it = files_.emplace(path, std::make_shared<std::vector<uint8_t>>()).first;
        it->second->clear();
    }
    if (it == files_.end()) return Status::notFound("no such file: " + path);
    return std::unique_ptr<File>(new MemFile(path, it->second));
}

void MemEnv::setFile(const std::string& path, std::string_view bytes) {
    files_[path] = std::make_shared<std::vector<uint8_t>>(bytes.begin(), bytes.end());
}

std::string MemEnv::file(const std::string& path) const {
    auto it = files_.find(path);
    return it == files_.end() ? std::string() : std::string(it->second->begin(), it->second->end());
}

Status MemEnv::remove(const std::string& path) {
    return files_.erase(path) ? Status::ok() : Status::notFound("no such file: " + path);
}

Status MemEnv::rename(const std::string& from, const std::string& to) {
    auto it = files_.find(from);
    if (it == files_.end()) return Status::notFound("no such file: " + from);
    auto data = it->second;
    files_.erase(it);
    files_[to] = data;
    return Status::ok();
}

} // namespace rk
