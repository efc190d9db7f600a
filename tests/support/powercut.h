// A file layer in memory that logs every change a writer makes (writes, truncations, flushes,
// new names, renames, removals, folder flushes) and works out the states a power cut after any
// prefix of that log may leave on disk:
//   - a file holds what it held at its last flush, plus any subset of the writes made to it
//     since (the disk may have taken some and not others, in any order);
//   - the folder holds the names it had at its last flush, plus the name changes made since
//     up to some point (a journalled folder keeps its changes in order);
//   - a file's stamp (size and time of last write) is the newest one, whatever of its content
//     reached the disk: a file system may save the time before the data, the worst case for a
//     reader that trusts a stamp.
// One folder only: a flush of any folder counts for all names.
#pragma once

#include "env.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace rk::test {

class PowerCutEnv : public Env {
public:
    struct Op {
        enum Kind { Write, Truncate, Sync, Create, Rename, Remove, SyncDir } kind;
        int inode = -1;
        std::string path, to;
        uint64_t offset = 0; // the length for Truncate
        std::string bytes;
    };
    static Op change(Op::Kind kind, int inode = -1, std::string path = {}, std::string to = {}) {
        Op op;
        op.kind = kind;
        op.inode = inode;
        op.path = std::move(path);
        op.to = std::move(to);
        return op;
    }

    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode, LockMode) override {
        auto it = names_.find(path);
        if (mode == OpenMode::Create || (mode == OpenMode::OpenOrCreate && it == names_.end())) {
            if (it != names_.end()) log(change(Op::Remove, it->second, path));
            inodes_.push_back({});
            it = names_.insert_or_assign(path, int(inodes_.size() - 1)).first;
            log(change(Op::Create, it->second, path));
        }
        if (it == names_.end()) return Status::notFound("no such file: " + path);
        return std::unique_ptr<File>(new PowerCutFile(path, this, it->second));
    }
    bool exists(const std::string& path) override { return names_.count(path) != 0; }
    Status remove(const std::string& path) override {
        auto it = names_.find(path);
        if (it == names_.end()) return Status::notFound("no such file: " + path);
        log(change(Op::Remove, it->second, path));
        names_.erase(it);
        return Status::ok();
    }
    Status rename(const std::string& from, const std::string& to) override {
        auto it = names_.find(from);
        if (it == names_.end()) return Status::notFound("no such file: " + from);
        const int inode = it->second;
        names_.erase(it);
        names_[to] = inode;
        log(change(Op::Rename, inode, from, to));
        return Status::ok();
    }
    Status syncDir(const std::string&) override {
        log(change(Op::SyncDir));
        return Status::ok();
    }
    Status replaceable(const std::string&) override { return Status::ok(); }

    // A file as it stands, outside the log.
    void setFile(const std::string& path, const std::string& bytes, int64_t modified = 0) {
        inodes_.push_back({bytes, modified});
        names_[path] = int(inodes_.size() - 1);
    }
    std::string file(const std::string& path) const {
        auto it = names_.find(path);
        return it == names_.end() ? std::string() : inodes_[size_t(it->second)].bytes;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& n : names_)
            out.push_back(n.first);
        return out;
    }

    // From here on changes are logged; the files as they are count as on stable storage.
    void startLog() {
        log_.clear();
        logging_ = true;
        baseNames_ = names_;
        baseInodes_ = inodes_;
    }
    size_t logSize() const { return log_.size(); }
    const std::vector<Op>& logged() const { return log_; }

    // Calls fn with a layer holding each state a power cut after the first `ops` logged
    // changes may leave; returns how many states there were.
    size_t crashStates(size_t ops, const std::function<void(PowerCutEnv&)>& fn) const {
        std::map<int, std::string> durable;
        std::map<int, int64_t> modified;
        for (size_t i = 0; i < baseInodes_.size(); ++i) {
            durable[int(i)] = baseInodes_[i].bytes;
            modified[int(i)] = baseInodes_[i].modified;
        }
        std::map<int, std::vector<const Op*>> pending;
        std::map<std::string, int> dirDurable = baseNames_;
        std::vector<const Op*> dirPending;
        for (size_t i = 0; i < ops && i < log_.size(); ++i) {
            const Op& op = log_[i];
            switch (op.kind) {
            case Op::Write:
            case Op::Truncate:
                pending[op.inode].push_back(&op);
                ++modified[op.inode];
                break;
            case Op::Sync:
                for (const Op* w : pending[op.inode])
                    apply(*w, &durable[op.inode]);
                pending[op.inode].clear();
                break;
            case Op::Create:
                durable[op.inode];
                [[fallthrough]];
            case Op::Rename:
            case Op::Remove:
                dirPending.push_back(&op);
                break;
            case Op::SyncDir:
                for (const Op* d : dirPending)
                    applyName(*d, &dirDurable);
                dirPending.clear();
                break;
            }
        }
        size_t states = 0;
        for (size_t j = 0; j <= dirPending.size(); ++j) {
            std::map<std::string, int> names = dirDurable;
            for (size_t d = 0; d < j; ++d)
                applyName(*dirPending[d], &names);
            // The files the names reach whose writes may be partly on disk, and for each the
            // subsets of those writes to try.
            std::vector<int> open;
            std::vector<std::vector<std::vector<bool>>> choices;
            for (const auto& n : names) {
                const auto& p = pending[n.second];
                if (p.empty() || std::find(open.begin(), open.end(), n.second) != open.end())
                    continue;
                open.push_back(n.second);
                choices.push_back(subsets(p.size()));
            }
            std::vector<size_t> pick(open.size(), 0);
            for (;;) {
                PowerCutEnv state;
                for (const auto& n : names) {
                    std::string bytes = durable[n.second];
                    const size_t k =
                        size_t(std::find(open.begin(), open.end(), n.second) - open.begin());
                    if (k < open.size()) {
                        const auto& p = pending[n.second];
                        for (size_t w = 0; w < p.size(); ++w)
                            if (choices[k][pick[k]][w]) apply(*p[w], &bytes);
                    }
                    state.setFile(n.first, bytes, modified[n.second]);
                }
                fn(state);
                ++states;
                size_t c = 0;
                while (c < pick.size() && ++pick[c] == choices[c].size())
                    pick[c++] = 0;
                if (c == pick.size()) break;
            }
        }
        return states;
    }

private:
    struct Inode {
        std::string bytes;
        int64_t modified = 0;
    };

    class PowerCutFile : public File {
    public:
        PowerCutFile(std::string path, PowerCutEnv* env, int inode)
            : File(std::move(path)), env_(env), inode_(inode) {}
        Status read(uint64_t offset, void* buf, size_t n, size_t* got) override {
            const std::string& b = bytes();
            *got = offset >= b.size() ? 0 : std::min<uint64_t>(n, b.size() - offset);
            if (*got) std::memcpy(buf, b.data() + offset, *got);
            return Status::ok();
        }
        Status write(uint64_t offset, const void* buf, size_t n) override {
            Op op = change(Op::Write, inode_);
            op.offset = offset;
            op.bytes.assign(static_cast<const char*>(buf), n);
            apply(op, &env_->inodes_[size_t(inode_)].bytes);
            ++env_->inodes_[size_t(inode_)].modified;
            env_->log(std::move(op));
            return Status::ok();
        }
        Status size(uint64_t* out) override {
            *out = bytes().size();
            return Status::ok();
        }
        Status truncate(uint64_t length) override {
            Op op = change(Op::Truncate, inode_);
            op.offset = length;
            apply(op, &env_->inodes_[size_t(inode_)].bytes);
            ++env_->inodes_[size_t(inode_)].modified;
            env_->log(std::move(op));
            return Status::ok();
        }
        Status sync() override {
            env_->log(change(Op::Sync, inode_));
            return Status::ok();
        }
        Status stamp(FileStamp* out) override {
            out->size = bytes().size();
            out->modified = env_->inodes_[size_t(inode_)].modified;
            return Status::ok();
        }
        Status relock(LockMode) override { return Status::ok(); }

    private:
        const std::string& bytes() const { return env_->inodes_[size_t(inode_)].bytes; }
        PowerCutEnv* env_;
        int inode_;
    };

    static void apply(const Op& op, std::string* bytes) {
        if (op.kind == Op::Truncate) {
            bytes->resize(op.offset);
            return;
        }
        if (bytes->size() < op.offset + op.bytes.size()) bytes->resize(op.offset + op.bytes.size());
        bytes->replace(op.offset, op.bytes.size(), op.bytes);
    }
    static void applyName(const Op& op, std::map<std::string, int>* names) {
        if (op.kind == Op::Rename) {
            names->erase(op.path);
            (*names)[op.to] = op.inode;
        } else if (op.kind == Op::Create) {
            (*names)[op.path] = op.inode;
        } else if (op.kind == Op::Remove) {
            auto it = names->find(op.path);
            if (it != names->end() && it->second == op.inode) names->erase(it);
        }
    }
    // Which of n writes reached the disk, as bit masks: every subset of a few; of many, every
    // prefix, every one alone and every one missing.
    static std::vector<std::vector<bool>> subsets(size_t n) {
        std::vector<std::vector<bool>> out;
        if (n <= 6) {
            for (uint32_t m = 0; m < (1u << n); ++m) {
                std::vector<bool> s(n);
                for (size_t i = 0; i < n; ++i)
                    s[i] = m >> i & 1;
                out.push_back(s);
            }
            return out;
        }
        for (size_t i = 0; i <= n; ++i) {
            std::vector<bool> prefix(n, false);
            std::fill(prefix.begin(), prefix.begin() + long(i), true);
            out.push_back(prefix);
        }
        for (size_t i = 0; i < n; ++i) {
            std::vector<bool> one(n, false), allBut(n, true);
            one[i] = true;
            allBut[i] = false;
            out.push_back(one);
            out.push_back(allBut);
        }
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }
    void log(Op op) {
        if (logging_) log_.push_back(std::move(op));
    }

    std::map<std::string, int> names_;
    std::vector<Inode> inodes_;
    std::vector<Op> log_;
    bool logging_ = false;
    std::map<std::string, int> baseNames_;
    std::vector<Inode> baseInodes_;
};

} // namespace rk::test
