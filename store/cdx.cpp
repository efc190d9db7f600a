#include "cdx.h"

#include "cdx_verify.h"
#include "mem_env.h"
#include "record.h"
#include "scratch_env.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

namespace rk::store {

using namespace cdx;

namespace {

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string trimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

IndexFile::IndexFile(std::string path, dbf::DbfFile* table, IndexOptions opts, Env* env)
    : path_(std::move(path)), table_(table), opts_(std::move(opts)), env_(env) {}

IndexFile::~IndexFile() = default;

std::string IndexFile::fileName() const {
    return baseName(path_);
}

uint32_t IndexFile::pageCount() const {
    return static_cast<uint32_t>((pager_->size() + kPageSize - 1) / kPageSize);
}

Result<std::unique_ptr<IndexFile>> IndexFile::open(const std::string& path, dbf::DbfFile* table,
                                                   const IndexOptions& opts, Env* env) {
    std::unique_ptr<IndexFile> f(new IndexFile(path, table, opts, env));
    auto file = env->open(path, opts.readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite,
                          opts.exclusive ? LockMode::Exclusive : LockMode::Shared);
    if (!file) return file.status();
    RK_RETURN_IF_ERROR(f->load(std::move(*file)));
    RK_RETURN_IF_ERROR(f->settle());
    return f;
}

Status IndexFile::load(std::unique_ptr<File> file) {
    tags_.clear();
    pendingOps_ = pendingBytes_ = unresolved_ = 0;
    loadProblems_.clear();
    pager_ = std::make_unique<Pager>(std::move(file), opts_.readOnly);
    pager_->setCacheCapacity(opts_.cachePages);
    RK_RETURN_IF_ERROR(pager_->open());
    const std::string name = fileName();
    if (pager_->size() < kHeaderSize + kPageSize)
        return Status::corruption(name + " is too short to be an index file");
    header_.assign(kHeaderSize, 0);
    RK_RETURN_IF_ERROR(pager_->readBytes(0, header_.data(), kHeaderSize));
    Status s = decodeHeader(header_.data(), &compound_);
    if (s && (!validPageOffset(compound_.root) || compound_.root < kHeaderSize))
        s = Status::corruption("bad tag directory pointer " + hexOffset(compound_.root));
    if (!s) {
        if (s.code() == Status::Code::NotSupported)
            return Status::notSupported(name + ": " + s.message());
        return Status::corruption(name + ": compound header: " + s.message());
    }
    pager_->setFreeHead(compound_.freeList);

    // The tag directory: names and the offsets of their headers.
    std::vector<std::pair<std::string, uint32_t>> entries;
    Tree directory(pager_.get(), compound_.root, compound_.keyLength, ' ');
    s = walkTag(&directory, false, [&](uint32_t off, const uint8_t* key) {
        entries.emplace_back(
            trimRight(std::string(reinterpret_cast<const char*>(key), compound_.keyLength)), off);
        return entries.size() < 4096;
    });
    if (!s) return Status::corruption(name + ": tag directory: " + s.message());
    const std::string blank = table_->blankRecord();
    std::vector<uint8_t> buf(kHeaderSize);
    for (const auto& [tagName, off] : entries) {
        if (!validPageOffset(off) || off < kHeaderSize ||
            off + uint64_t{kHeaderSize} > pager_->size())
            return Status::corruption(name + ": tag " + tagName + ": bad header pointer " +
                                      hexOffset(off));
        RK_RETURN_IF_ERROR(pager_->readBytes(off, buf.data(), kHeaderSize));
        Tag t;
        t.headerOffset = off;
        s = decodeHeader(buf.data(), &t.header);
        if (!s) return Status::corruption(name + ": tag " + tagName + ": " + s.message());
        auto key = TagKey::compile(t.header.keyExpr, t.header.forExpr, table_->fields(), blank);
        if (!key)
            return Status::notSupported(name + ": tag " + tagName + ": " + key.status().message());
        t.key = *key;
        t.info.name = upperAscii(tagName);
        t.info.keyExpr = t.header.keyExpr;
        t.info.forExpr = t.header.forExpr;
        t.info.keyType = t.key.type();
        t.info.keyLength = t.header.keyLength;
        t.info.descending = t.header.descending;
        t.info.unique = t.header.unique();
        if (!validPageOffset(t.header.root) || t.header.root < kHeaderSize ||
            t.header.root + uint64_t{kPageSize} > pager_->size())
            loadProblems_.push_back("tag " + t.info.name + " has a bad root pointer " +
                                    hexOffset(t.header.root));
        t.storedRoot = t.header.root;
        t.tree =
            std::make_unique<Tree>(pager_.get(), t.header.root, t.header.keyLength, t.key.fill());
        tags_.push_back(std::move(t));
    }
    std::sort(tags_.begin(), tags_.end(),
              [](const Tag& a, const Tag& b) { return a.headerOffset < b.headerOffset; });
    // A unique tag's companion: the same key and FOR expressions (case and blanks aside) and
    // key length, not unique.
    auto plain = [](const std::string& e) {
        std::string out;
        for (char c : e)
            if (c != ' ') out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return out;
    };
    for (Tag& t : tags_) {
        if (!t.info.unique) continue;
        for (size_t i = 0; i < tags_.size(); ++i) {
            const Tag& c = tags_[i];
            if (!c.info.unique && c.info.keyLength == t.info.keyLength &&
                plain(c.info.keyExpr) == plain(t.info.keyExpr) &&
                plain(c.info.forExpr) == plain(t.info.forExpr)) {
                t.companion = static_cast<int>(i);
                break;
            }
        }
    }
    return Status::ok();
}

Status IndexFile::settle() {
    usable_ = true;
    std::vector<std::string> reasons = loadProblems_;
    for (Tag& t : tags_) {
        if (!t.header.machineCollation())
            reasons.push_back("tag " + t.info.name + " uses the collation \"" +
                              t.header.collationName() +
                              "\", which this program does not support; it is ordered by "
                              "machine (byte) order instead");
        if (t.header.keyLength != t.key.length() && t.key.type() != KeyType::Char)
            reasons.push_back("tag " + t.info.name +
                              " has a key length that does not suit its "
                              "key expression");
        if (t.key.type() == KeyType::Char) t.key.setLength(t.header.keyLength);
    }
    const StateMark mark = readMark(header_.data());
    const uint32_t records = table_->recordCount();
    FileStamp stamp;
    RK_RETURN_IF_ERROR(table_->stamp(&stamp));
    // An index whose mark matches the header, the file and the table is trusted as it is.
    // Anything else that is not a plain interruption is checked against the table: another
    // program may have changed both without moving the counter (a sound index), or changed
    // the table alone (a stale one).
    bool verifyNeeded = false;
    std::string doubt;
    deleted_ = -1;
    if (mark.present && !mark.sound) {
        reasons.push_back("a change to it was interrupted (the program ended unexpectedly)");
    } else if (!mark.present) {
        verifyNeeded = true;
    } else if (mark.counter != compound_.counter || mark.pages != pageCount()) {
        verifyNeeded = true;
        doubt = "another program changed it";
    } else if (mark.records != records) {
        verifyNeeded = true;
        doubt = "it was made for " + std::to_string(mark.records) + " records and the table has " +
                std::to_string(records);
    } else if (mark.table != stamp) {
        verifyNeeded = true;
        doubt = "the table was written since it was made";
    }
    if (verifyNeeded && reasons.empty()) {
        std::vector<std::string> problems, notes;
        verify(true, &problems, &notes);
        if (!problems.empty()) {
            reasons.push_back((doubt.empty() ? std::string() : doubt + ", and ") +
                              "it does not match the table or is damaged (" + problems.front() +
                              (problems.size() > 1
                                   ? "; " + std::to_string(problems.size() - 1) + " more problems"
                                   : std::string()) +
                              ")");
        } else {
            // Proven sound: the next open need not check it again.
            deleted_ = tableDeleted_;
            writeMark(header_.data(), StateMark{true, true, compound_.counter, records, pageCount(),
                                                stamp, deleted_});
            RK_RETURN_IF_ERROR(saveVerdict());
        }
    }
    if (reasons.empty()) {
        if (!verifyNeeded) deleted_ = mark.deleted;
        return Status::ok();
    }
    std::string why = reasons.front();
    for (size_t i = 1; i < reasons.size(); ++i)
        why += "; " + reasons[i];
    if (!opts_.repair) {
        usable_ = false;
        notices_.push_back(fileName() + " cannot be used until it is re-indexed: " + why);
        return Status::ok();
    }
    if (opts_.readOnly || !opts_.exclusive) {
        RK_RETURN_IF_ERROR(rebuildInMemory(opts_.rebuildProgress));
        if (saveMemoryCopy()) {
            notices_.push_back(fileName() + " was rebuilt from the table: " + why);
        } else {
            notices_.push_back(fileName() + " cannot be trusted (" + why +
                               "); the table is not open for changes, so its orders are worked "
                               "out in memory until it is re-indexed");
        }
        return Status::ok();
    }
    notices_.push_back(fileName() + " is being rebuilt from the table: " + why);
    Status s = rebuild(opts_.rebuildProgress);
    if (!s) {
        notices_.push_back(fileName() + " could not be rebuilt (" + s.message() +
                           "); its orders are worked out in memory for now");
        return rebuildInMemory(opts_.rebuildProgress);
    }
    notices_.push_back(fileName() + " was rebuilt");
    return Status::ok();
}

Status IndexFile::saveVerdict() {
    if (!opts_.readOnly) return writeHeaderPage();
    if (!opts_.repair || scratch_) return Status::ok();
    // Open for reading: the mark is written when nobody else has the file open, for a moment
    // under an exclusive lock, so that the next open need not check again.
    File* file = pager_->file();
    if (!file->relock(LockMode::Exclusive)) {
        rk::ignore(file->relock(opts_.exclusive ? LockMode::Exclusive : LockMode::Shared),
                   "the lock is taken back where it can be; reading goes on either way");
        return Status::ok();
    }
    auto writer = env_->open(path_, OpenMode::ReadWrite, LockMode::None);
    if (writer) {
        // Only over the header this open read: another program may have changed it meanwhile.
        uint8_t head[16];
        size_t got = 0;
        if ((*writer)->read(0, head, sizeof head, &got) && got == sizeof head &&
            std::memcmp(head, header_.data(), sizeof head) == 0)
            rk::ignore((*writer)->write(0, header_.data(), kPageSize),
                       "the verdict saves the next open a check; without it that open checks");
    }
    rk::ignore(file->relock(opts_.exclusive ? LockMode::Exclusive : LockMode::Shared),
               "the lock is taken back where it can be; reading goes on either way");
    return Status::ok();
}

bool IndexFile::saveMemoryCopy() {
    if (!opts_.repair || !scratch_) return false;
    // Open for reading, rebuilt in memory: the rebuild replaces the file when nobody else has
    // it open, so that the next open need not rebuild again. Holding the old file's lock while
    // the new one is renamed over it keeps every other user of this engine out meanwhile.
    auto old = env_->open(path_, OpenMode::ReadWrite, LockMode::Exclusive);
    if (!old) return false;
    auto copy = pager_->file();
    uint64_t size = 0;
    if (!copy->size(&size)) return false;
    const std::string tmp = path_ + ".tmp";
    auto out = env_->open(tmp, OpenMode::Create, LockMode::Exclusive);
    if (!out) return false;
    std::vector<uint8_t> buf(size_t(1) << 20);
    Status s;
    for (uint64_t at = 0; s && at < size; at += buf.size()) {
        size_t got = 0;
        s = copy->read(at, buf.data(), buf.size(), &got);
        if (s) s = (*out)->write(at, buf.data(), got);
    }
    if (s) s = (*out)->sync();
    out->reset();
    if (s) s = env_->replace(tmp, path_);
    if (!s) {
        ignore(env_->remove(tmp), "clean-up of a temporary file; the session keeps its copy");
        return false;
    }
    // The session goes on with its copy, which holds the same pages.
    return true;
}

int IndexFile::findTag(std::string_view name) const {
    std::string want = upperAscii(name);
    while (!want.empty() && want.back() == ' ')
        want.pop_back();
    for (size_t i = 0; i < tags_.size(); ++i)
        if (tags_[i].info.name == want) return static_cast<int>(i);
    return -1;
}

std::vector<TagSpec> IndexFile::specs() const {
    std::vector<TagSpec> out;
    for (const Tag& t : tags_)
        out.push_back(
            {t.info.name, t.info.keyExpr, t.info.forExpr, t.info.descending, t.info.unique});
    return out;
}

StateMark IndexFile::currentMark(bool sound) const {
    StateMark m{true,        sound,       compound_.counter, table_->recordCount(),
                pageCount(), FileStamp(), deleted_};
    // Without the table's stamp the next open checks the index: never wrong, only slower.
    rk::ignore(table_->stamp(&m.table), "a mark without the stamp is checked at the next open");
    return m;
}

Status IndexFile::writeHeaderPage() {
    return pager_->writeBytes(0, header_.data(), kPageSize);
}

Status IndexFile::fail(Status s) {
    // The index is broken from here on whatever the size read says: the original error is
    // the one to report.
    rk::ignore(pager_->discard(), "the index is marked broken and the first error reported");
    dropPending();
    broken_ = true;
    return s;
}

void IndexFile::defer(Tag& t, const std::string& key, uint32_t recno, bool add) {
    t.pending.push_back({static_cast<uint32_t>(t.pendingKeys.size()), recno,
                         static_cast<uint32_t>(t.pending.size()), add});
    t.pendingKeys.insert(t.pendingKeys.end(), key.begin(), key.end());
    ++pendingOps_;
    pendingBytes_ += key.size() + sizeof(Tag::Op);
}

void IndexFile::dropPending() {
    for (Tag& t : tags_) {
        t.pending = {};
        t.pendingKeys = {};
        t.unresolved.clear();
    }
    pendingOps_ = pendingBytes_ = unresolved_ = 0;
}

Status IndexFile::applyPending() {
    if (pendingOps_ == 0 && unresolved_ == 0) return Status::ok();
    for (Tag& t : tags_) {
        if (t.pending.empty()) continue;
        const uint16_t k = t.info.keyLength;
        const uint8_t* keys = t.pendingKeys.data();
        // In key order, so that neighbouring keys find their pages at hand; the changes of
        // one entry stay in the order they were made.
        std::sort(t.pending.begin(), t.pending.end(), [&](const Tag::Op& a, const Tag::Op& b) {
            int c = compareEntry(keys + a.key, a.recno, keys + b.key, b.recno, k);
            return c != 0 ? c < 0 : a.seq < b.seq;
        });
        size_t done = 0;
        for (const Tag::Op& op : t.pending) {
            Status s;
            if (op.add) {
                s = t.tree->insert(keys + op.key, op.recno);
            } else {
                bool found = false;
                s = t.tree->remove(keys + op.key, op.recno, &found);
                if (s && !found)
                    s = Status::corruption(fileName() + ": tag " + t.info.name +
                                           " has no entry for record " + std::to_string(op.recno) +
                                           " (a key in its page was changed by damage)");
            }
            if (s && ++done % 256 == 0) s = boundChanges();
            if (!s) return fail(s);
        }
        t.pending = {};
        t.pendingKeys = {};
    }
    pendingOps_ = pendingBytes_ = 0;
    Status s = resolveUnique();
    if (!s) return fail(s);
    return boundChanges();
}

Status IndexFile::beginChange() {
    if (opts_.readOnly) return Status::invalid(fileName() + " is open read-only");
    if (broken_ || !usable_) return Status::corruption(fileName() + " needs to be re-indexed");
    if (changing_) return Status::ok();
    writeMark(header_.data(), currentMark(false));
    Status s = writeHeaderPage();
    if (!s) return fail(s);
    changing_ = true;
    return Status::ok();
}

Status IndexFile::insertKey(Tag& t, const std::string& key, uint32_t recno) {
    const uint8_t* k = reinterpret_cast<const uint8_t*>(key.data());
    if (!t.info.unique) return t.tree->insert(k, recno);
    // A unique tag keeps the first record of each key.
    Cursor c(t.tree.get(), false);
    RK_RETURN_IF_ERROR(c.seekPrefix(k, key.size()));
    if (c.valid() && c.key() == key) {
        if (c.recno() <= recno) return Status::ok();
        bool found = false;
        RK_RETURN_IF_ERROR(t.tree->remove(k, c.recno(), &found));
    }
    return t.tree->insert(k, recno);
}

Status IndexFile::removeKey(Tag& t, const std::string& key, uint32_t recno) {
    const uint8_t* k = reinterpret_cast<const uint8_t*>(key.data());
    bool found = false;
    RK_RETURN_IF_ERROR(t.tree->remove(k, recno, &found));
    const auto missing = [&] {
        return Status::corruption(fileName() + ": tag " + t.info.name +
                                  " has no entry for record " + std::to_string(recno) +
                                  " (a key in its page was changed by damage)");
    };
    if (!found && !t.info.unique) return missing();
    if (!found) {
        // A unique tag holds the key for its first record, which may be another one; but the
        // key itself must be there (the record had it), unless this change or batch took it.
        if (t.unresolved.count(key)) return Status::ok();
        Cursor c(t.tree.get(), false);
        RK_RETURN_IF_ERROR(c.seekPrefix(k, key.size()));
        if (!c.valid() || c.key() != key) return missing();
        return Status::ok();
    }
    if (!t.info.unique) return Status::ok();
    // The next record with the key takes its place once the change (or the batch) is
    // complete: see resolveUnique.
    if (t.unresolved.insert(key).second) ++unresolved_;
    return Status::ok();
}

Status IndexFile::setHolder(Tag& t, const std::string& key, uint32_t recno) {
    const uint8_t* k = reinterpret_cast<const uint8_t*>(key.data());
    Cursor c(t.tree.get(), false);
    RK_RETURN_IF_ERROR(c.seekPrefix(k, key.size()));
    if (c.valid() && c.key() == key) {
        if (c.recno() == recno) return Status::ok();
        bool found = false;
        RK_RETURN_IF_ERROR(t.tree->remove(k, c.recno(), &found));
    }
    return recno ? t.tree->insert(k, recno) : Status::ok();
}

Status IndexFile::resolveUnique() {
    if (unresolved_ == 0) return Status::ok();
    // Each key goes to the first record that has it: read from the companion tag (its entries
    // of a key come in record order), or else from one pass over the table for every key of
    // every such tag at once.
    std::vector<Tag*> scan;
    for (Tag& t : tags_) {
        if (t.unresolved.empty()) continue;
        if (t.companion < 0) {
            scan.push_back(&t);
            continue;
        }
        Tag& c = tags_[static_cast<size_t>(t.companion)];
        for (const std::string& key : t.unresolved) {
            Cursor cur(c.tree.get(), false);
            RK_RETURN_IF_ERROR(
                cur.seekPrefix(reinterpret_cast<const uint8_t*>(key.data()), key.size()));
            RK_RETURN_IF_ERROR(
                setHolder(t, key, cur.valid() && cur.key() == key ? cur.recno() : 0));
        }
    }
    if (!scan.empty()) {
        std::vector<std::map<std::string, uint32_t>> first(scan.size());
        const uint32_t n = table_->recordCount();
        const uint16_t len = table_->recordLength();
        const uint32_t per = std::max<uint32_t>(1, std::min<uint32_t>(n, (1u << 20) / len));
        std::vector<char> buf(size_t(per) * len);
        std::string key;
        for (uint32_t r = 1; r <= n; r += per) {
            uint32_t count = std::min(per, n - r + 1);
            RK_RETURN_IF_ERROR(table_->readRecords(r, count, buf.data()));
            for (uint32_t i = 0; i < count; ++i) {
                std::string_view image(buf.data() + size_t(i) * len, len);
                for (size_t j = 0; j < scan.size(); ++j)
                    if (scan[j]->key.make(image, r + i, &key) && scan[j]->unresolved.count(key))
                        first[j].emplace(key, r + i); // the first one found stays
            }
        }
        for (size_t j = 0; j < scan.size(); ++j)
            for (const std::string& k : scan[j]->unresolved) {
                auto it = first[j].find(k);
                RK_RETURN_IF_ERROR(setHolder(*scan[j], k, it == first[j].end() ? 0 : it->second));
            }
    }
    for (Tag& t : tags_)
        t.unresolved.clear();
    unresolved_ = 0;
    return Status::ok();
}

Status IndexFile::recordAdded(std::string_view image, uint32_t recno) {
    if (!changing_) RK_RETURN_IF_ERROR(beginChange());
    if (deleted_ >= 0 && dbf::isDeleted(image)) ++deleted_;
    std::string key;
    for (Tag& t : tags_) {
        if (!t.key.make(image, recno, &key)) continue;
        if (defer_ && !t.info.unique) {
            defer(t, key, recno, true);
            continue;
        }
        Status s = insertKey(t, key, recno);
        if (!s) return fail(s);
    }
    if (pendingBytes_ > kMaxPendingBytes) return applyPending();
    return boundChanges();
}

Status IndexFile::boundChanges() {
    // A long change (a batch) writes its pages when they grow many; the file stays marked.
    if (pager_->dirtyPages() < kMaxDirtyPages) return Status::ok();
    Status s = pager_->flush();
    return s ? s : fail(s);
}

Status IndexFile::recordChanged(std::string_view before, std::string_view after, uint32_t recno) {
    if (!changing_) RK_RETURN_IF_ERROR(beginChange());
    if (deleted_ >= 0) deleted_ += int(dbf::isDeleted(after)) - int(dbf::isDeleted(before));
    std::string oldKey, newKey;
    for (Tag& t : tags_) {
        bool wasIn = t.key.make(before, recno, &oldKey);
        bool isIn = t.key.make(after, recno, &newKey);
        if (wasIn == isIn && (!wasIn || oldKey == newKey)) continue;
        if (defer_ && !t.info.unique) {
            if (wasIn) defer(t, oldKey, recno, false);
            if (isIn) defer(t, newKey, recno, true);
            continue;
        }
        Status s;
        if (wasIn) s = removeKey(t, oldKey, recno);
        if (s && isIn) s = insertKey(t, newKey, recno);
        if (!s) return fail(s);
    }
    if (pendingBytes_ > kMaxPendingBytes) return applyPending();
    return boundChanges();
}

Status IndexFile::endChange(bool durable) {
    if (!changing_) return Status::ok();
    RK_RETURN_IF_ERROR(applyPending());
    Status s = pager_->flush();
    if (!s) return fail(s);
    for (Tag& t : tags_) {
        if (t.tree->root() == t.storedRoot) continue;
        uint8_t root[4];
        put32(root, t.tree->root());
        s = pager_->writeBytes(t.headerOffset + kHdrRoot, root, 4);
        if (!s) return fail(s);
        t.storedRoot = t.tree->root();
        t.header.root = t.storedRoot;
    }
    if (durable) {
        s = sync();
        if (!s) return fail(s);
    }
    compound_.freeList = pager_->freeHead();
    compound_.counter += 1;
    put32(header_.data() + kHdrFreeList, compound_.freeList);
    put32be(header_.data() + kHdrCounter, compound_.counter);
    writeMark(header_.data(), currentMark(true));
    s = writeHeaderPage();
    if (s && durable) s = sync();
    if (!s) return fail(s);
    changing_ = false;
    return Status::ok();
}

Status IndexFile::sync() {
    if (opts_.readOnly || scratch_) return Status::ok();
    return pager_->file()->sync();
}

namespace {

template <class Tags> std::vector<TagInfo> infosOf(const Tags& tags) {
    std::vector<TagInfo> out;
    for (const auto& t : tags)
        out.push_back(t.info);
    return out;
}

template <class Tags> std::vector<Header> headersOf(const Tags& tags) {
    std::vector<Header> out;
    for (const auto& t : tags)
        out.push_back(t.header);
    return out;
}

Result<std::vector<BuildTag>> buildTags(const std::vector<TagInfo>& infos,
                                        const std::vector<Header>& headers, dbf::DbfFile* table) {
    std::vector<BuildTag> build;
    const std::string blank = table->blankRecord();
    for (size_t i = 0; i < infos.size(); ++i) {
        auto key = TagKey::compile(infos[i].keyExpr, infos[i].forExpr, table->fields(), blank);
        if (!key) return key.status();
        build.push_back({infos[i].name, *key, headers[i]});
    }
    return build;
}

} // namespace

Status IndexFile::rebuildInMemory(const IndexProgress& progress) {
    std::vector<TagInfo> infos;
    std::vector<Header> headers;
    for (const Tag& t : tags_) {
        infos.push_back(t.info);
        headers.push_back(t.header);
    }
    auto build = buildTags(infos, headers, table_);
    if (!build) return build.status();
    if (pager_) pager_->dropView(); // the pages the check read are not needed for the build
    // The copy of a small table's index is held in memory; a large one's goes to a scratch
    // file, built with half the sort budget: a read-only session stays within about 100 MB
    // whatever the table.
    std::unique_ptr<Env> env;
    if (uint64_t(table_->recordCount()) * table_->recordLength() > opts_.memoryBudget) {
        if (auto scratch = ScratchEnv::make()) env = std::move(*scratch);
    }
    if (!env) env = std::make_unique<MemEnv>();
    const std::string copy = "memory/" + fileName();
    auto written = writeIndexFile(copy, env.get(), table_, *build, compound_.counter + 1,
                                  opts_.memoryBudget / 2, progress);
    if (!written) return written.status();
    scratch_ = std::move(env);
    IndexOptions keep = opts_;
    opts_.readOnly = false; // the copy takes the session's changes
    Status s = load(std::move(*written));
    opts_.readOnly = keep.readOnly;
    changing_ = false;
    broken_ = false;
    usable_ = s.isOk();
    return s;
}

Status IndexFile::rebuild(const IndexProgress& progress) {
    // A copy in memory stands in for a file that could not be rebuilt at open (a full disk):
    // with the file open for changes, the rebuild writes the file, and a failure says so.
    if (scratch_ && (opts_.readOnly || !opts_.exclusive)) return rebuildInMemory(progress);
    if (opts_.readOnly) return Status::invalid(fileName() + " is open read-only");
    auto builds = buildTags(infosOf(tags_), headersOf(tags_), table_);
    if (!builds) return builds.status();
    const std::string tmp = path_ + ".tmp";
    auto written = writeIndexFile(tmp, env_, table_, *builds, compound_.counter + 1,
                                  opts_.memoryBudget, progress);
    if (!written) {
        ignore(env_->remove(tmp), "clean-up of a temporary file; the build error is reported");
        return written.status();
    }
    return install(std::move(*written), tmp);
}

Result<std::unique_ptr<IndexBuilder>> IndexFile::startRebuild(uint32_t expectedRecords,
                                                              const IndexProgress& progress) {
    if (scratch_ || opts_.readOnly)
        return Status::invalid(fileName() + " cannot be rebuilt in place");
    auto builds = buildTags(infosOf(tags_), headersOf(tags_), table_);
    if (!builds) return builds.status();
    return IndexBuilder::start(path_ + ".tmp", env_, *builds, opts_.memoryBudget, progress,
                               expectedRecords);
}

Status IndexFile::finishRebuild(std::unique_ptr<IndexBuilder> builder) {
    auto written = builder->finish(table_, compound_.counter + 1);
    if (!written) return written.status(); // the builder removes its file
    builder.reset();
    return install(std::move(*written), path_ + ".tmp");
}

// A complete new file written at `tmp` replaces the index, which then reads it.
Status IndexFile::install(std::unique_ptr<File> written, const std::string& tmp) {
    written.reset(); // closes it; the table's own lock keeps others out meanwhile
    Status s = env_->replace(tmp, path_);
    if (!s) {
        ignore(env_->remove(tmp), "clean-up of a temporary file; the build error is reported");
        return s;
    }
    pager_.reset();
    scratch_.reset(); // the file is whole again: the copy in memory, if any, is done with
    auto file = env_->open(path_, OpenMode::ReadWrite,
                           opts_.exclusive ? LockMode::Exclusive : LockMode::Shared);
    if (!file) return file.status();
    changing_ = false;
    broken_ = false;
    usable_ = true;
    return load(std::move(*file));
}

Result<std::unique_ptr<IndexFile>> IndexFile::create(const std::string& path, dbf::DbfFile* table,
                                                     const std::vector<TagSpec>& tags,
                                                     const IndexOptions& opts, Env* env,
                                                     const IndexProgress& progress) {
    std::vector<BuildTag> build;
    const std::string blank = table->blankRecord();
    for (const TagSpec& spec : tags) {
        std::string name = upperAscii(spec.name);
        if (name.empty() || name.size() > kTagNameLength ||
            name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos ||
            std::isdigit(static_cast<unsigned char>(name[0])))
            return Status::invalid("\"" + spec.name +
                                   "\" is not a tag name (up to 10 letters, "
                                   "digits and _)");
        for (const BuildTag& b : build)
            if (b.name == name) return Status::invalid("two tags are named " + name);
        auto key = TagKey::compile(spec.key, spec.forExpr, table->fields(), blank);
        if (!key) return Status::invalid("tag " + name + ": " + key.status().message());
        Header h;
        h.keyExpr = spec.key;
        h.forExpr = spec.forExpr;
        h.descending = spec.descending;
        h.options = static_cast<uint8_t>(kTagBaseOptions | (spec.unique ? kOptUnique : 0));
        build.push_back({name, *key, h});
    }
    // The table's flag first: the index records the table as it is once the flag is set.
    const bool hadFlag = table->hasStructuralIndex();
    if (!hadFlag) RK_RETURN_IF_ERROR(table->setStructuralIndexFlag(true));
    const std::string tmp = path + ".tmp";
    auto written = writeIndexFile(tmp, env, table, build, 1, opts.memoryBudget, progress);
    Status s = written.status();
    if (written) {
        written->reset();
        s = env->replace(tmp, path);
    }
    if (!s) {
        ignore(env->remove(tmp), "clean-up of a temporary file; the build error is reported");
        if (!hadFlag)
            ignore(table->setStructuralIndexFlag(false),
                   "without an index the flag makes the next open say it is missing");
        return s;
    }
    return open(path, table, opts, env);
}

std::unique_ptr<Cursor> IndexFile::cursor(int i) {
    // The caller applies pending upkeep before it moves the cursor (see applyPending).
    Tag& t = tags_[static_cast<size_t>(i)];
    return std::make_unique<Cursor>(t.tree.get(), t.info.descending);
}

Status IndexFile::walk(int i, const std::function<bool(uint32_t recno)>& fn, bool backwards) {
    RK_RETURN_IF_ERROR(applyPending());
    Tag& t = tags_[static_cast<size_t>(i)];
    return walkTag(t.tree.get(), t.info.descending != backwards,
                   [&](uint32_t recno, const uint8_t*) { return fn(recno); });
}

bool IndexFile::keyOf(int i, std::string_view image, uint32_t recno, std::string* key) const {
    const TagKey& k = tags_[static_cast<size_t>(i)].key;
    if (k.make(image, recno, key)) return true;
    k.makeAlways(image, recno, key);
    return false;
}

Status IndexFile::repair(const IndexProgress& progress) {
    if (scratch_ || opts_.readOnly || !opts_.exclusive) return rebuildInMemory(progress);
    Status s = rebuild(progress);
    if (s) return s;
    return rebuildInMemory(progress);
}

Result<std::string> IndexFile::seekKey(int i, std::string_view text) const {
    return tags_[static_cast<size_t>(i)].key.seekKey(text);
}

} // namespace rk::store
