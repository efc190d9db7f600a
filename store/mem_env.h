// Files held in memory behind the Env interface: where an index must be rebuilt for a
// session but nothing may be written to disk (a table open read-only or shared).
#pragma once

#include "env.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rk {

class MemEnv : public Env {
public:
    Result<std::unique_ptr<File>> open(const std::string& path, OpenMode mode,
                                       LockMode lock) override;
    bool exists(const std::string& path) override { return files_.count(path) != 0; }
    Status remove(const std::string& path) override;
    Status rename(const std::string& from, const std::string& to) override;
    Status syncDir(const std::string&) override { return Status::ok(); }
    Status replaceable(const std::string&) override { return Status::ok(); }

    // Puts a file's whole content in place (replacing any), and reads it back ("" when there
    // is no such file): for tests and fuzz targets.
    void setFile(const std::string& path, std::string_view bytes);
    std::string file(const std::string& path) const;

    struct Data {
        std::vector<uint8_t> bytes;
        int64_t writes = 0; // counts changes: the file's stamp
    };

private:
    std::map<std::string, std::shared_ptr<Data>> files_;
};

} // namespace rk
