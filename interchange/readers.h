// Reading another catalogue program's file into foreign titles. The format is found from the
// content, never the name:
//   "PK\3\4" holding tellico.xml        Tellico .tc (images/ holds the covers)
//   root element tellico                Tellico XML (collection type 3, videos)
//   root collection type="GCfilms"      GCstar .gcs of the films model
//   root data-crow-objects              Data Crow's XML export (movie items)
//   root root holding movie             Griffith's XML export
//   anything else that is text          CSV or tab-separated, with a header row
// XML is read by libxml2's streaming reader without the network, without loading a DTD and
// without expanding entities; a file that declares entities is refused, so that no
// expansion (billion laughs, quadratic blow-up) can happen. Zip members are read through
// libzip, never extracted: a member whose name climbs out of the archive (../, /) or whose
// size is beyond reason refuses the file before anything is read.
#pragma once

#include "csv.h"
#include "foreign.h"

#include <string>
#include <string_view>

namespace rk::interchange {

// The largest file read, and the largest member of a zip.
inline constexpr uint64_t kMaxFileBytes = uint64_t(512) << 20;

Format detectFormat(std::string_view bytes);

// Reads `bytes` as `format` (Unknown: found from the content). CSV columns go by `csv` when
// it is given, else by the mapping guessed from the header names. A file that cannot be
// read as its format is InvalidArgument with a message that says why; nothing is partly read.
Result<ReadResult> readBytes(std::string_view bytes, Format format = Format::Unknown,
                             const CsvMapping* csv = nullptr);
// The same for a file: a regular file of at most kMaxFileBytes.
Result<ReadResult> readFile(const std::string& path, Format format = Format::Unknown,
                            const CsvMapping* csv = nullptr);
// The file's bytes, refused when it is not a regular file or too large.
Result<std::string> loadFile(const std::string& path);

// Whether the bytes begin as an image of a kind a cover can be (PNG, JPEG, GIF, BMP, WebP).
bool looksLikeImage(std::string_view bytes);

// The readers, for the fuzz targets and the tests.
Result<ReadResult> readTellicoZip(std::string_view bytes);
Result<ReadResult> readTellicoXml(std::string_view xml);
Result<ReadResult> readGcstar(std::string_view xml);
Result<ReadResult> readDataCrow(std::string_view xml);
Result<ReadResult> readGriffith(std::string_view xml);

} // namespace rk::interchange
