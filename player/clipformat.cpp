#include "clipformat.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace rk::player {

namespace {

// Boxes and chunks nested deeper than this, or more of them than this in one parent, end the
// walk: a damaged file cannot make it loop for long.
constexpr int kMaxDepth = 8;
constexpr int kMaxChildren = 4096;

uint32_t be32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
           uint32_t(uint8_t(b[at + 2])) << 8 | uint32_t(uint8_t(b[at + 3]));
}
uint64_t be64(const std::string& b, size_t at) {
    return uint64_t(be32(b, at)) << 32 | be32(b, at + 4);
}
uint32_t le32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 |
           uint32_t(uint8_t(b[at + 2])) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t le16(const std::string& b, size_t at) {
    return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8);
}

// A four-character code as text: printable ASCII, trailing blanks and NULs dropped.
std::string fourcc(const std::string& b, size_t at) {
    std::string out;
    for (size_t i = at; i < at + 4; ++i) {
        const char c = b[i];
        out += c >= 0x20 && c < 0x7F ? c : ' ';
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

struct Walk {
    const ReadAt& read;
    ClipFormat* out;
};

// ISO media: the boxes in [begin, end).
void isoBoxes(Walk& w, uint64_t begin, uint64_t end, int depth, std::string* handler) {
    if (depth > kMaxDepth) return;
    uint64_t at = begin;
    for (int n = 0; n < kMaxChildren && at + 8 <= end; ++n) {
        const std::string head = w.read(at, 16);
        if (head.size() < 8) return;
        uint64_t size = be32(head, 0);
        const std::string type = head.substr(4, 4);
        uint64_t header = 8;
        if (size == 1) {
            if (head.size() < 16) return;
            size = be64(head, 8);
            header = 16;
        } else if (size == 0) {
            size = end - at;
        }
        if (size < header || size > end - at) return;
        const uint64_t body = at + header, bodyEnd = at + size;
        if (type == "moov" || type == "mdia" || type == "minf" || type == "stbl") {
            isoBoxes(w, body, bodyEnd, depth + 1, handler);
        } else if (type == "trak") {
            std::string trackHandler;
            isoBoxes(w, body, bodyEnd, depth + 1, &trackHandler);
        } else if (type == "hdlr" && handler) {
            const std::string b = w.read(body, 12);
            if (b.size() == 12) *handler = b.substr(8, 4);
        } else if (type == "stsd" && handler) {
            const std::string b = w.read(body, 16);
            if (b.size() == 16 && be32(b, 4) > 0) {
                const std::string codec = codecName(fourcc(b, 12));
                if (*handler == "vide" && w.out->video.empty()) w.out->video = codec;
                if (*handler == "soun" && w.out->audio.empty()) w.out->audio = codec;
            }
        }
        at = bodyEnd;
    }
}

// AVI: the chunks in [begin, end). `streamType` is the type of the stream list being read.
void riffChunks(Walk& w, uint64_t begin, uint64_t end, int depth, std::string* streamType) {
    if (depth > kMaxDepth) return;
    uint64_t at = begin;
    for (int n = 0; n < kMaxChildren && at + 8 <= end; ++n) {
        const std::string head = w.read(at, 12);
        if (head.size() < 8) return;
        const std::string id = head.substr(0, 4);
        const uint64_t size = le32(head, 4);
        if (size > end - at - 8) return;
        const uint64_t body = at + 8;
        if (id == "LIST" && head.size() == 12) {
            const std::string list = head.substr(8, 4);
            if (list == "hdrl") riffChunks(w, body + 4, body + size, depth + 1, nullptr);
            if (list == "strl") {
                std::string type;
                riffChunks(w, body + 4, body + size, depth + 1, &type);
            }
            if (list == "movi") return; // the media data: the headers are all read
        } else if (id == "strh" && streamType) {
            const std::string b = w.read(body, 8);
            if (b.size() == 8) {
                *streamType = b.substr(0, 4);
                if (*streamType == "vids" && w.out->video.empty() && fourcc(b, 4).size() == 4)
                    w.out->video = codecName(fourcc(b, 4));
            }
        } else if (id == "strf" && streamType) {
            const std::string b = w.read(body, 20);
            if (*streamType == "vids" && b.size() == 20 && fourcc(b, 16).size() == 4)
                w.out->video = codecName(fourcc(b, 16)); // the compression is the surer name
            if (*streamType == "auds" && b.size() >= 2 && w.out->audio.empty()) {
                const uint16_t tag = le16(b, 0);
                static const std::pair<uint16_t, const char*> kTags[] = {
                    {0x0001, "PCM"}, {0x0055, "MP3"},  {0x0050, "MPEG audio"},
                    {0x00FF, "AAC"}, {0x2000, "AC-3"}, {0x0161, "Windows Media Audio"}};
                const auto* known = std::find_if(std::begin(kTags), std::end(kTags),
                                                 [&](const auto& t) { return t.first == tag; });
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%04X", tag);
                w.out->audio = known != std::end(kTags)
                                   ? std::string(known->second) + " (" + hex + ")"
                                   : std::string("format ") + hex;
            }
        }
        at = body + size + (size & 1);
    }
}

} // namespace

std::string codecName(const std::string& code) {
    static const std::pair<const char*, const char*> kNames[] = {
        // code, name
        {"avc1", "H.264"},
        {"avc3", "H.264"},
        {"H264", "H.264"},
        {"h264", "H.264"},
        {"X264", "H.264"},
        {"x264", "H.264"},
        {"hvc1", "H.265/HEVC"},
        {"hev1", "H.265/HEVC"},
        {"HEVC", "H.265/HEVC"},
        {"av01", "AV1"},
        {"vp09", "VP9"},
        {"vp08", "VP8"},
        {"mp4v", "MPEG-4 Part 2"},
        {"XVID", "MPEG-4 Part 2 (Xvid)"},
        {"DIVX", "MPEG-4 Part 2 (DivX)"},
        {"DX50", "MPEG-4 Part 2 (DivX 5)"},
        {"FMP4", "MPEG-4 Part 2"},
        {"MJPG", "Motion JPEG"},
        {"jpeg", "Motion JPEG"},
        {"WMV3", "Windows Media Video 9"},
        {"WVC1", "VC-1"},
        {"s263", "H.263"},
        {"mp4a", "AAC"},
        {"ac-3", "AC-3"},
        {"ec-3", "E-AC-3"},
        {"Opus", "Opus"},
        {"fLaC", "FLAC"},
        {".mp3", "MP3"},
        {"samr", "AMR"},
        {"alac", "Apple Lossless"},
    };
    for (const auto& [c, name] : kNames)
        if (code == c) return std::string(name) + " (" + code + ")";
    return code.empty() ? std::string("an unnamed format") : "\"" + code + "\"";
}

std::string ClipFormat::describe() const {
    std::string what;
    if (!video.empty()) what = video + " video";
    if (!audio.empty()) what += (what.empty() ? "" : " and ") + audio + " sound";
    if (container.empty()) return what;
    return what.empty() ? container : what + " in " + container;
}

ClipFormat readClipFormat(const ReadAt& read, uint64_t fileSize) {
    ClipFormat out;
    const std::string head = read(0, 16);
    if (head.size() < 12) return out;
    Walk w{read, &out};
    const std::string type = head.substr(4, 4);
    if (head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "AVI ") == 0) {
        out.container = "an AVI file";
        riffChunks(w, 12, std::min<uint64_t>(fileSize, 12 + uint64_t(le32(head, 4))), 0, nullptr);
    } else if (head.compare(0, 4, "RIFF") == 0 && head.compare(8, 4, "WAVE") == 0) {
        out.container = "a WAV file";
    } else if (type == "ftyp" || type == "moov" || type == "mdat" || type == "free" ||
               type == "wide") {
        const std::string brand = type == "ftyp" ? fourcc(head, 8) : std::string();
        out.container = brand == "qt" ? "a QuickTime file" : "an MP4 file";
        isoBoxes(w, 0, fileSize, 0, nullptr);
    } else if (be32(head, 0) == 0x1A45DFA3) {
        out.container = "a Matroska or WebM file";
    } else if (head.compare(0, 4, "OggS") == 0) {
        out.container = "an Ogg file";
    } else if (be32(head, 0) == 0x000001BA || be32(head, 0) == 0x000001B3) {
        out.container = "an MPEG program stream";
    } else if (head[0] == 0x47 && fileSize > 188 && read(188, 1) == "\x47") {
        out.container = "an MPEG transport stream";
    } else if (head.compare(0, 4, "0&\xB2u") == 0) {
        out.container = "a Windows Media (ASF) file";
    } else if (head.compare(0, 3, "FLV") == 0) {
        out.container = "a Flash video file";
    }
    return out;
}

ClipFormat readClipFormatOfFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return {};
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    file.seekg(0, std::ios::end);
    const auto size = file.tellg();
    if (size <= 0) return {};
    const auto read = [&file](uint64_t offset, size_t n) {
        std::string out(n, '\0');
        file.clear();
        file.seekg(std::streamoff(offset));
        file.read(out.data(), std::streamsize(n));
        out.resize(size_t(std::max<std::streamsize>(0, file.gcount())));
        return out;
    };
    return readClipFormat(read, uint64_t(size));
}

} // namespace rk::player
