#include "mem_env.h"

#include <algorithm>
#include <cstring>

namespace rk {

namespace {

class MemFile : public File {
public:
    MemFile(std::string path, std::shared_ptr<MemEnv::Data> data)
        : File(std::move(path)), data_(std::move(data)) {}
    Status read(uint64_t offset, void* buf, size_t n, size_t* got) override {
        const auto& bytes = data_->bytes;
        *got = offset >= bytes.size() ? 0 : std::min<uint64_t>(n, bytes.size() - offset);
        if (*got) std::memcpy(buf, bytes.data() + offset, *got);
        return Status::ok();
    }
    Status write(uint64_t offset, const void* buf, size_t n) override {
        auto& bytes = data_->bytes;
        if (bytes.size() < offset + n) bytes.resize(offset + n);
        std::memcpy(bytes.data() + offset, buf, n);
        ++data_->writes;
        return Status::ok();
    }
    Status size(uint64_t* out) override {
        *out = data_->bytes.size();
        return Status::ok();
    }
    Status truncate(uint64_t length) override {
        data_->bytes.resize(length);
        ++data_->writes;
        return Status::ok();
    }
    Status sync() override { return Status::ok(); }
    Status stamp(FileStamp* out) override {
        out->size = data_->bytes.size();
        out->modified = data_->writes;
        return Status::ok();
    }
    Status relock(LockMode) override { return Status::ok(); }

private:
    std::shared_ptr<MemEnv::Data> data_;
};

} // namespace

Result<std::unique_ptr<File>> MemEnv::open(const std::string& path, OpenMode mode, LockMode) {
    auto it = files_.find(path);
    if (mode == OpenMode::OpenOrCreate && it == files_.end())
        it = files_.emplace(path, std::make_shared<Data>()).first;
    if (mode == OpenMode::Create) {
        if (it == files_.end()) it = files_.emplace(path, std::make_shared<Data>()).first;
        it->second->bytes.clear();
        ++it->second->writes;
    }
    if (it == files_.end()) return Status::notFound("no such file: " + path);
    return std::unique_ptr<File>(new MemFile(path, it->second));
}

void MemEnv::setFile(const std::string& path, std::string_view bytes) {
    auto data = std::make_shared<Data>();
    data->bytes.assign(bytes.begin(), bytes.end());
    files_[path] = std::move(data);
}

std::string MemEnv::file(const std::string& path) const {
    auto it = files_.find(path);
    if (it == files_.end()) return std::string();
    return std::string(it->second->bytes.begin(), it->second->bytes.end());
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
