// What a clip file holds, read from its header, so that a clip the media system cannot decode
// can be named ("H.264 video in an MP4 file") rather than left at "a plug-in is missing".
//
// Read: the ISO media file (MP4, MOV, M4V, 3GP: boxes of a 32-bit big-endian size and a type;
// a size of 1 is followed by a 64-bit size, 0 runs to the end of the file), walked
// moov > trak > mdia > (hdlr: the handler "vide" or "soun"; minf > stbl > stsd: the first
// sample entry's type, the codec); and the AVI file (RIFF chunks of a type and a 32-bit
// little-endian size, padded to even; LIST chunks hold a list type and chunks), walked
// hdrl > strl > strh (the stream type "vids" or "auds") and strf (for video the
// compression at offset 16, for sound the 16-bit format tag at offset 0). Other files are
// named by their first bytes where they are known (Matroska, MPEG, Ogg, WAV, ...).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace rk::player {

struct ClipFormat {
    std::string container; // "an MP4 file", "an AVI file", ... empty when unknown
    std::string video;     // "H.264 (avc1)", empty when none was found
    std::string audio;     // "AAC (mp4a)", ...
    // "H.264 (avc1) video and AAC (mp4a) sound in an MP4 file"; empty when nothing is known.
    std::string describe() const;
};

// Reads up to `size` bytes at `offset` into the returned text (shorter at the end or on
// failure).
using ReadAt = std::function<std::string(uint64_t offset, size_t size)>;

// The clip's format from a file of `fileSize` bytes. Reads a few hundred bytes per box or
// chunk, never the media data; damaged sizes end the walk with what was found so far.
ClipFormat readClipFormat(const ReadAt& read, uint64_t fileSize);
ClipFormat readClipFormatOfFile(const std::string& path);

// The common name of a codec by its four-character code or sound format tag.
std::string codecName(const std::string& fourcc);

} // namespace rk::player
