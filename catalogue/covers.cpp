// Covers: a title's front (and back) picture, copied into the Covers folder and named by the
// title's row in COVERS.DBF.
#include "imagecheck.h"
#include "sidedata.h"
#include "sidetable.h"

namespace rk::catalogue {

namespace {

std::string join(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

const char* faceField(Face face) {
    return face == Face::Front ? "FRONT" : "BACK";
}

} // namespace

Result<std::string> SideData::cover(uint32_t recno, Face face) {
    RK_RETURN_IF_ERROR(open(*covers_, false));
    if (!covers_->table.isOpen()) return std::string();
    auto title = titleImage(recno);
    RK_RETURN_IF_ERROR(title.status());
    if (title->empty()) return std::string();
    const std::string fp = titleFingerprint(titles_, *title);
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<uint32_t> rows;
        RK_RETURN_IF_ERROR(rowsOf(*covers_, recno, &rows));
        bool stale = false;
        for (uint32_t r : rows) {
            RK_RETURN_IF_ERROR(covers_->table.go(r));
            const std::string& row = covers_->table.record();
            if (covers_->fingerprintOf(row) != fp) {
                stale = true;
                continue;
            }
            const auto name = dbf::trimmedField(row, covers_->field(faceField(face)));
            return name.empty() ? std::string()
                                : join(join(dir_, kCoversFolder), std::string(name));
        }
        if (!stale) break;
        // Never another title's picture: the stale rows are moved or dropped first.
        RK_RETURN_IF_ERROR(repair(*covers_));
    }
    return std::string();
}

Result<std::string> SideData::coverBytes(uint32_t recno, Face face) {
    auto path = cover(recno, face);
    RK_RETURN_IF_ERROR(path.status());
    if (path->empty()) return std::string();
    auto f = env_->open(*path, OpenMode::ReadOnly, LockMode::None);
    if (!f) return f.status().withMessage("cannot read " + *path + ": " + f.status().message());
    uint64_t size = 0;
    RK_RETURN_IF_ERROR((*f)->size(&size));
    std::string bytes(size, '\0');
    size_t got = 0;
    RK_RETURN_IF_ERROR((*f)->read(0, bytes.data(), bytes.size(), &got));
    bytes.resize(got);
    return bytes;
}

bool SideData::hasCovers() {
    return open(*covers_, false).isOk() && covers_->table.isOpen() && covers_->table.recCount() > 0;
}

Status SideData::setCover(uint32_t recno, const std::string& file, Face face) {
    auto f = env_->open(file, OpenMode::ReadOnly, LockMode::None);
    if (!f) return f.status().withMessage("cannot read " + file + ": " + f.status().message());
    uint64_t size = 0;
    RK_RETURN_IF_ERROR((*f)->size(&size));
    if (size > kMaxImageBytes)
        return Status::invalid(file + " is larger than " + std::to_string(kMaxImageBytes >> 20) +
                               " MB: too large for a cover");
    std::string bytes(size, '\0');
    size_t got = 0;
    RK_RETURN_IF_ERROR((*f)->read(0, bytes.data(), bytes.size(), &got));
    bytes.resize(got);
    return setCoverBytes(recno, bytes, file, face);
}

Status SideData::setCoverBytes(uint32_t recno, std::string_view bytes, const std::string& name,
                               Face face) {
    auto info = checkImage(bytes, name);
    RK_RETURN_IF_ERROR(info.status());
    return storeCover(recno, bytes, info->extension, face);
}

Status SideData::storeCover(uint32_t recno, std::string_view bytes, const std::string& extension,
                            Face face) {
    auto title = titleImage(recno);
    RK_RETURN_IF_ERROR(title.status());
    if (title->empty()) return Status::notFound("there is no record " + std::to_string(recno));
    if (dbf::isDeleted(*title))
        return Status::invalid("record " + std::to_string(recno) + " is deleted");
    RK_RETURN_IF_ERROR(open(*covers_, true));
    const std::string fp = titleFingerprint(titles_, *title);
    const std::string folder = join(dir_, kCoversFolder);
    RK_RETURN_IF_ERROR(env_->makeDir(folder));

    // A name nobody holds, so that the picture it replaces stays whole until the row names the
    // new one.
    const std::string stem = fp + (face == Face::Front ? "-front" : "-back");
    std::string name = stem + extension;
    for (int n = 2; env_->exists(join(folder, name)); ++n)
        name = stem + "-" + std::to_string(n) + extension;
    const std::string tmp = join(folder, "~" + name);
    {
        auto out = env_->open(tmp, OpenMode::Create, LockMode::Exclusive);
        RK_RETURN_IF_ERROR(out.status());
        Status s = (*out)->write(0, bytes.data(), bytes.size());
        if (s) s = (*out)->sync();
        if (!s) {
            out->reset();
            rk::ignore(env_->remove(tmp), "clean-up of a temporary file; the write error is told");
            return s;
        }
    }
    RK_RETURN_IF_ERROR(env_->replace(tmp, join(folder, name)));

    std::vector<uint32_t> rows;
    RK_RETURN_IF_ERROR(rowsOf(*covers_, recno, &rows));
    std::string old;
    Status written;
    bool put = false;
    for (uint32_t r : rows) {
        RK_RETURN_IF_ERROR(covers_->table.go(r));
        std::string row = covers_->table.record();
        if (covers_->fingerprintOf(row) != fp) continue;
        old = std::string(dbf::trimmedField(row, covers_->field(faceField(face))));
        dbf::setString(row, covers_->field(faceField(face)), name);
        written = covers_->table.putRecord(row);
        put = true;
        break;
    }
    if (!put) {
        std::string row = covers_->row(recno, fp);
        dbf::setString(row, covers_->field(faceField(face)), name);
        written = covers_->table.appendRecord(row).status();
    }
    if (!written) {
        removeFiles({name});
        return written;
    }
    if (!old.empty() && old != name) removeFiles({old});
    return Status::ok();
}

Status SideData::removeCover(uint32_t recno, Face face) {
    RK_RETURN_IF_ERROR(open(*covers_, false));
    if (!covers_->table.isOpen()) return Status::ok();
    auto title = titleImage(recno);
    RK_RETURN_IF_ERROR(title.status());
    if (title->empty()) return Status::notFound("there is no record " + std::to_string(recno));
    const std::string fp = titleFingerprint(titles_, *title);
    std::vector<uint32_t> rows;
    RK_RETURN_IF_ERROR(rowsOf(*covers_, recno, &rows));
    for (uint32_t r : rows) {
        RK_RETURN_IF_ERROR(covers_->table.go(r));
        std::string row = covers_->table.record();
        if (covers_->fingerprintOf(row) != fp) continue;
        const auto& field = covers_->field(faceField(face));
        const auto& other = covers_->field(face == Face::Front ? "BACK" : "FRONT");
        const std::string name(dbf::trimmedField(row, field));
        if (dbf::trimmedField(row, other).empty()) {
            RK_RETURN_IF_ERROR(covers_->table.deleteRecord());
        } else {
            dbf::setBlank(row, field);
            RK_RETURN_IF_ERROR(covers_->table.putRecord(row));
        }
        if (!name.empty()) removeFiles({name});
    }
    return Status::ok();
}

} // namespace rk::catalogue
