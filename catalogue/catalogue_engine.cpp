// The catalogue engine: opening, the changes of one record, and the full-text search.
#include "catalogue_engine.h"

#include "cp1252.h"
#include "env.h"
#include "sidedata.h"
#include "titletext.h"

#include <filesystem>

namespace rk::catalogue {

namespace {

std::string folderOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    return dir.empty() ? "." : dir;
}

std::string nameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace

Catalogue::Catalogue(Env* env)
    : titles_(std::string(), {}, env), categories_(std::string(), {}, env),
      side_(std::make_unique<SideData>(titles_, env)) {
    side_->setNotice([this](const std::string& what) {
        if (sideNotice_) sideNotice_(what);
    });
}

void Catalogue::setSideDataNotice(std::function<void(const std::string& what)> notice) {
    sideNotice_ = std::move(notice);
}

void Catalogue::titleChanged(uint32_t recno, const std::string& before, std::string_view after) {
    if (before.empty()) return;
    if (Status s = side_->titleChanged(recno, before, after); !s && sideNotice_)
        sideNotice_("The change is made, but the cover and loans of record " +
                    std::to_string(recno) + " could not follow it: " + s.message());
}

Catalogue::~Catalogue() {
    close();
}

Status Catalogue::open(const std::string& dir, const store::TableOptions& options,
                       std::string* failedFile) {
    close();
    dir_ = dir;
    textPath_ = search::titlesIndexPath(dir);
    titles_.setOptions(options);
    categories_.setOptions(options);
    titles_.setPath(findFileNoCase(dir, kTitlesFile));
    categories_.setPath(findFileNoCase(dir, kCategoriesFile));
    if (Status s = titles_.open(); !s) {
        if (failedFile) *failedFile = kTitlesFile;
        return s;
    }
    if (Status s = categories_.open(); !s) {
        titles_.close();
        if (failedFile) *failedFile = kCategoriesFile;
        return s;
    }
    side_->setDir(dir);
    return Status::ok();
}

Status Catalogue::openTable(const std::string& path, const store::TableOptions& options) {
    close();
    dir_ = folderOf(path);
    textPath_ = cp1252::upper(nameOf(path)) == kTitlesFile ? search::titlesIndexPath(dir_) : "";
    titles_.setOptions(options);
    titles_.setPath(path);
    RK_RETURN_IF_ERROR(titles_.open());
    if (keepsTextIndex()) side_->setDir(dir_);
    return Status::ok();
}

void Catalogue::close() {
    side_->setDir("");
    titles_.close();
    categories_.close();
}

bool Catalogue::hasTextIndex() const {
    return keepsTextIndex() && search::indexFileExists(textPath_);
}

void Catalogue::textIndexFailed(const Status& why) {
    if (notice_) notice_(why);
}

Status Catalogue::openTitleText(TitleText& text, uint32_t entries) {
    if (!keepsTextIndex()) return Status::ok();
    return text.open(textPath_, titles_, entries);
}

// ---------------------------------------------------------------------------------------------
// One record

Status Catalogue::update(store::Table& table, std::string_view image) {
    std::string before;
    if (isTitles(table) && !side_->dir().empty() && table.dbf())
        ignore(table.dbf()->readRecord(table.recNo(), &before),
               "a record not read has no side data");
    RK_RETURN_IF_ERROR(table.putRecord(image));
    titleChanged(table.recNo(), before, image);
    if (!isTitles(table) || !keepsTextIndex()) return Status::ok();
    TitleText text;
    Status s = openTitleText(text, titles_.recCount());
    if (s) s = text.put(titles_.recNo(), image);
    if (!s) textIndexFailed(s);
    return Status::ok();
}

Result<uint32_t> Catalogue::append(store::Table& table, std::string_view image) {
    auto added = table.appendRecord(image);
    if (!added || !isTitles(table) || !keepsTextIndex()) return added;
    // A new last record goes into an index that holds every record before it.
    TitleText text;
    Status s = openTitleText(text, *added - 1);
    if (s) s = text.put(*added, image);
    if (!s) textIndexFailed(s);
    return added;
}

Status Catalogue::remove(store::Table& table) {
    const uint32_t recno = table.recNo();
    RK_RETURN_IF_ERROR(table.deleteRecord());
    if (!isTitles(table) || !keepsTextIndex()) return Status::ok();
    TitleText text;
    Status s = openTitleText(text, titles_.recCount());
    if (s) s = text.remove(recno);
    if (!s) textIndexFailed(s);
    return Status::ok();
}

Status Catalogue::recall(store::Table& table) {
    RK_RETURN_IF_ERROR(table.recall());
    if (!isTitles(table) || !keepsTextIndex()) return Status::ok();
    TitleText text;
    Status s = openTitleText(text, titles_.recCount());
    if (s) s = text.put(titles_.recNo(), titles_.record());
    if (!s) textIndexFailed(s);
    return Status::ok();
}

Status Catalogue::updateTitle(uint32_t recno, std::string_view image) {
    RK_RETURN_IF_ERROR(titles_.go(recno));
    return update(titles_, image);
}

Status Catalogue::removeTitle(uint32_t recno) {
    RK_RETURN_IF_ERROR(titles_.go(recno));
    return remove(titles_);
}

Status Catalogue::recallTitle(uint32_t recno) {
    RK_RETURN_IF_ERROR(titles_.go(recno));
    return recall(titles_);
}

// ---------------------------------------------------------------------------------------------
// Search

Result<search::BuildReport> Catalogue::buildTextIndex(const search::BuildStep& step) {
    if (!keepsTextIndex())
        return Status::invalid(titles_.path() + " is not a titles table: it has no search index");
    return buildTitleText(titles_, textPath_, step);
}

Result<search::SearchResult> Catalogue::find(std::string_view query, int fieldChoice) {
    if (!keepsTextIndex())
        return Status::invalid(titles_.path() + " is not a titles table: it has no search index");
    return search::searchTitles(titles_, textPath_, query, fieldChoice);
}

} // namespace rk::catalogue
