// A file layer for tests that passes every call to the real file system and fails writes on
// demand: all of them while `failWrites` is set, every one after the next `writesLeft`, or,
// while `diskFull` is set, those that would make a file longer. It counts flushes to stable
// storage and the bytes read, in all and from each file. It offers no views (every read is
// counted) unless `views` is set: then the bytes copied out of views are counted apart, by path.
#pragma once

#include "env.h"

#include <map>
#include <memory>
#include <string>

namespace rk::test {

class FaultEnv : public Env {
public:
    bool failWrites = false;
    long writesLeft = -1; // -1: never fail; n: the (n+1)-th write and every later one fail
    bool diskFull = false;
    long growthsLeft = -1; // writes that may still make a file longer; then the disk is full
    long syncs = 0;
    uint64_t bytesRead = 0;
    std::map<std::string, uint64_t> bytesReadFrom; // by path
    bool views = false;
    std::map<std::string, uint64_t> bytesViewedFrom;

    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode,
                                       LockMode lock) override {
        auto f = Env::standard()->open(path, mode, lock);
        if (!f.isOk()) return f.status();
        return std::unique_ptr<File>(new FaultFile(std::move(*f), this));
    }
    bool exists(const std::string& path) override { return Env::standard()->exists(path); }
    Status remove(const std::string& path) override { return Env::standard()->remove(path); }
    Status rename(const std::string& from, const std::string& to) override {
        return Env::standard()->rename(from, to);
    }
    Status syncDir(const std::string& dir) override {
        ++syncs;
        return Env::standard()->syncDir(dir);
    }
    Status replaceable(const std::string& path) override {
        return Env::standard()->replaceable(path);
    }

private:
    bool takeWrite() {
        if (failWrites || writesLeft == 0) return false;
        if (writesLeft > 0) --writesLeft;
        return true;
    }

    class CountingView : public FileView {
    public:
        CountingView(std::unique_ptr<FileView> inner, uint64_t* count)
            : inner_(std::move(inner)), count_(count) {}
        uint64_t size() const override { return inner_->size(); }
        Status copy(uint64_t o, void* b, size_t n) override {
            *count_ += n;
            return inner_->copy(o, b, n);
        }
        Status gather(uint64_t o, uint64_t stride, size_t n, size_t count, void* b) override {
            *count_ += n * count;
            return inner_->gather(o, stride, n, count, b);
        }

    private:
        std::unique_ptr<FileView> inner_;
        uint64_t* count_;
    };

    class FaultFile : public File {
    public:
        FaultFile(std::unique_ptr<File> inner, FaultEnv* env)
            : File(inner->path()), inner_(std::move(inner)), env_(env) {}
        Status read(uint64_t o, void* b, size_t n, size_t* got) override {
            Status s = inner_->read(o, b, n, got);
            if (s.isOk()) {
                env_->bytesRead += *got;
                env_->bytesReadFrom[path()] += *got;
            }
            return s;
        }
        Status write(uint64_t o, const void* b, size_t n) override {
            if (!env_->takeWrite()) return Status::ioError("injected write failure");
            uint64_t size = 0;
            if ((env_->diskFull || env_->growthsLeft >= 0) && inner_->size(&size).isOk() &&
                o + n > size) {
                if (env_->diskFull || env_->growthsLeft == 0)
                    return Status::ioError("no space left on the device (injected)");
                --env_->growthsLeft;
            }
            return inner_->write(o, b, n);
        }
        Status size(uint64_t* out) override { return inner_->size(out); }
        Status truncate(uint64_t len) override { return inner_->truncate(len); }
        Status sync() override {
            ++env_->syncs;
            return inner_->sync();
        }
        Status stamp(FileStamp* out) override { return inner_->stamp(out); }
        Result<std::unique_ptr<FileView>> view() override {
            if (!env_->views) return File::view();
            auto v = inner_->view();
            if (!v) return v.status();
            return std::unique_ptr<FileView>(
                new CountingView(std::move(*v), &env_->bytesViewedFrom[path()]));
        }
        Status relock(LockMode mode) override { return inner_->relock(mode); }

    private:
        std::unique_ptr<File> inner_;
        FaultEnv* env_;
    };
};

} // namespace rk::test
