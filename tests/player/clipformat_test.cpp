// A clip's format from its header: the codecs of an MP4's tracks and an AVI's streams, the
// container of other files, and damaged sizes that end the walk with what was found.
#include "clipformat.h"

#include <gtest/gtest.h>

#include <string>

using rk::player::ClipFormat;
using rk::player::readClipFormat;

namespace {

std::string be32(uint32_t v) {
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string le32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}
std::string box(const std::string& type, const std::string& body) {
    return be32(uint32_t(8 + body.size())) + type + body;
}
std::string chunk(const std::string& id, const std::string& body) {
    return id + le32(uint32_t(body.size())) + body + std::string(body.size() % 2, '\0');
}
std::string list(const std::string& type, const std::string& body) {
    return chunk("LIST", type + body);
}
// An ISO media track of handler `handler` whose first sample entry is `codec`.
std::string track(const char* handler, const char* codec) {
    const std::string hdlr = box("hdlr", std::string(8, '\0') + handler + std::string(12, '\0'));
    const std::string stsd =
        box("stsd", std::string(4, '\0') + be32(1) + be32(16) + codec + std::string(8, '\0'));
    return box("trak", box("mdia", hdlr + box("minf", box("stbl", stsd))));
}

ClipFormat formatOf(const std::string& bytes) {
    return readClipFormat(
        [&](uint64_t at, size_t n) {
            return at >= bytes.size() ? std::string() : bytes.substr(size_t(at), n);
        },
        bytes.size());
}

} // namespace

TEST(ClipFormat, TracksAndStreamsAreNamedByTheirCodecs) {
    // The moov box after the media data, as most recorders write it.
    const std::string mp4 = box("ftyp", "isom" + be32(0)) + box("mdat", std::string(100, 'x')) +
                            box("moov", track("soun", "mp4a") + track("vide", "avc1"));
    EXPECT_EQ(formatOf(mp4).describe(), "H.264 (avc1) video and AAC (mp4a) sound in an MP4 file");

    std::string strh = "vids" + std::string("DIVX") + std::string(48, '\0');
    std::string strf = le32(40) + std::string(12, '\0') + "H264" + std::string(20, '\0');
    const std::string sound =
        list("strl", chunk("strh", "auds" + std::string(52, '\0')) +
                         chunk("strf", std::string("\x55\0", 2) + std::string(16, '\0')));
    std::string body =
        "AVI " +
        list("hdrl", chunk("avih", std::string(56, '\0')) +
                         list("strl", chunk("strh", strh) + chunk("strf", strf)) + sound) +
        list("movi", std::string(64, 'x'));
    EXPECT_EQ(formatOf(chunk("RIFF", body)).describe(),
              "H.264 (H264) video and MP3 (0x0055) sound in an AVI file");

    EXPECT_EQ(formatOf("\x1A\x45\xDF\xA3" + std::string(40, '\0')).describe(),
              "a Matroska or WebM file");
    EXPECT_EQ(formatOf("plain text, not a clip").describe(), "");
}

TEST(ClipFormat, DamagedSizesEndTheWalkWithWhatWasFound) {
    const std::string good = track("vide", "hvc1");
    // A box claiming more than the file holds, a zero-sized one that runs to the end, and a
    // box of size 1 whose 64-bit size is cut short.
    for (const std::string& tail :
         {be32(0xFFFFFFF0) + "moov", be32(0) + "free", be32(1) + "mdat"}) {
        const ClipFormat f = formatOf(box("ftyp", "qt  ") + box("moov", good) + tail);
        EXPECT_EQ(f.describe(), "H.265/HEVC (hvc1) video in a QuickTime file") << tail.size();
    }
    EXPECT_EQ(formatOf(box("ftyp", "isom") + box("moov", track("vide", "zzz9"))).video, "\"zzz9\"");
    // A stsd with no entries names nothing.
    EXPECT_EQ(formatOf(box("moov", box("trak", box("mdia", box("stsd", std::string(8, '\0'))))))
                  .describe(),
              "an MP4 file");
}
