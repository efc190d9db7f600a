// Another program's file: arbitrary bytes read as the format found from them and as every
// format in turn. Each read ends in titles or a Status, never a crash; and every title maps
// to a record of the table's exact length.
#include "catalogue.h"
#include "mapping.h"
#include "readers.h"

#include <cstdint>
#include <cstdlib>

using namespace rk;
using namespace rk::interchange;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto& fields = catalogue::titleFields();
    size_t length = 1;
    for (const auto& f : fields)
        length += f.length;
    MapOptions options;
    options.ratings = catalogue::builtinRatings();
    options.formats = catalogue::builtinFormats();
    options.othersToUserFields = size % 2 == 0;
    for (Format format : {Format::Unknown, Format::Tellico, Format::GCstar, Format::DataCrow,
                          Format::Griffith, Format::Csv}) {
        auto read = readBytes(bytes, format);
        if (!read) continue;
        for (const ForeignTitle& t : read->titles) {
            MapNotes notes;
            if (mapTitle(t, fields, options, &notes).size() != length) std::abort();
        }
    }
    return 0;
}
