// Picture signatures and the header fields that give the size:
//   PNG   89 50 4E 47 0D 0A 1A 0A, then the IHDR chunk: width, height big-endian at 16, 20
//   GIF   "GIF87a" / "GIF89a", width, height little-endian 16-bit at 6, 8
//   BMP   "BM", then the DIB header at 14: its length (12: 16-bit width, height at 18, 20;
//         40 or more: 32-bit at 18, 22, the height negative for a top-down picture)
//   JPEG  FF D8 FF, then segments FF xx LEN(16, big-endian, itself included); a start of
//         frame (C0..CF but C4, C8, CC) holds precision, height, width
//   WebP  "RIFF" LEN "WEBP", then a chunk: "VP8 " (key frame start code 9D 01 2A at 23, 14-bit
//         width, height at 26, 28), "VP8L" (0x2F at 20, then 14-bit width-1, height-1 packed
//         from 21) or "VP8X" (24-bit width-1, height-1 at 24, 27)
#include "imagecheck.h"

namespace rk::catalogue {

namespace {

uint32_t be16(std::string_view b, size_t at) {
    return uint32_t(uint8_t(b[at])) << 8 | uint8_t(b[at + 1]);
}
uint32_t le16(std::string_view b, size_t at) {
    return uint32_t(uint8_t(b[at + 1])) << 8 | uint8_t(b[at]);
}
uint32_t be32(std::string_view b, size_t at) {
    return be16(b, at) << 16 | be16(b, at + 2);
}
uint32_t le24(std::string_view b, size_t at) {
    return le16(b, at) | uint32_t(uint8_t(b[at + 2])) << 16;
}
uint32_t le32(std::string_view b, size_t at) {
    return le16(b, at) | le16(b, at + 2) << 16;
}

bool startsWith(std::string_view b, std::string_view sig) {
    return b.substr(0, sig.size()) == sig;
}

// The size from a JPEG's first start-of-frame segment; false when there is none before the
// data ends.
bool jpegSize(std::string_view b, uint32_t* w, uint32_t* h) {
    size_t at = 2;
    while (at + 4 <= b.size()) {
        if (uint8_t(b[at]) != 0xFF) return false;
        const uint8_t marker = uint8_t(b[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return false; // image data before any frame
        const size_t len = be16(b, at + 2);
        if (len < 2) return false;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > b.size()) return false;
            *h = be16(b, at + 5);
            *w = be16(b, at + 7);
            return true;
        }
        at += 2 + len;
    }
    return false;
}

} // namespace

Result<ImageInfo> checkImage(std::string_view b, const std::string& name) {
    if (b.size() > kMaxImageBytes)
        return Status::invalid(name + " is larger than " + std::to_string(kMaxImageBytes >> 20) +
                               " MB: too large for a cover");
    ImageInfo info;
    bool sized = false;
    if (startsWith(b, "\x89PNG\r\n\x1a\n")) {
        info = {"PNG", ".png"};
        if (b.size() >= 24 && b.substr(12, 4) == "IHDR") {
            info.width = be32(b, 16);
            info.height = be32(b, 20);
            sized = true;
        }
    } else if (startsWith(b, "GIF87a") || startsWith(b, "GIF89a")) {
        info = {"GIF", ".gif"};
        if (b.size() >= 10) {
            info.width = le16(b, 6);
            info.height = le16(b, 8);
            sized = true;
        }
    } else if (startsWith(b, "BM")) {
        info = {"BMP", ".bmp"};
        if (b.size() >= 26) {
            const uint32_t dib = le32(b, 14);
            if (dib == 12) {
                info.width = le16(b, 18);
                info.height = le16(b, 20);
                sized = true;
            } else if (dib >= 40) {
                const int32_t w = int32_t(le32(b, 18)), h = int32_t(le32(b, 22));
                info.width = w < 0 ? 0 : uint32_t(w);
                info.height = h < 0 ? uint32_t(-int64_t(h)) : uint32_t(h);
                sized = true;
            }
        }
    } else if (startsWith(b, "\xFF\xD8\xFF")) {
        info = {"JPEG", ".jpg"};
        sized = jpegSize(b, &info.width, &info.height);
    } else if (b.size() >= 16 && startsWith(b, "RIFF") && b.substr(8, 4) == "WEBP") {
        info = {"WebP", ".webp"};
        const std::string_view chunk = b.substr(12, 4);
        if (chunk == "VP8 " && b.size() >= 30 && b.substr(23, 3) == "\x9d\x01\x2a") {
            info.width = le16(b, 26) & 0x3FFF;
            info.height = le16(b, 28) & 0x3FFF;
            sized = true;
        } else if (chunk == "VP8L" && b.size() >= 25 && uint8_t(b[20]) == 0x2F) {
            const uint32_t bits = le32(b, 21);
            info.width = (bits & 0x3FFF) + 1;
            info.height = ((bits >> 14) & 0x3FFF) + 1;
            sized = true;
        } else if (chunk == "VP8X" && b.size() >= 30) {
            info.width = le24(b, 24) + 1;
            info.height = le24(b, 27) + 1;
            sized = true;
        }
    } else {
        return Status::invalid(name +
                               " is not a picture this program can show (PNG, JPEG, GIF, WebP "
                               "or BMP)");
    }
    if (!sized)
        return Status::invalid(name + " is not a whole " + info.kind +
                               " picture: its size cannot be read");
    if (info.width == 0 || info.height == 0)
        return Status::invalid(name + " is a " + info.kind + " picture without pixels");
    if (info.width > kMaxImageSide || info.height > kMaxImageSide)
        return Status::invalid(name + " is " + std::to_string(info.width) + " x " +
                               std::to_string(info.height) + " pixels: a cover may be at most " +
                               std::to_string(kMaxImageSide) + " pixels on each side");
    return info;
}

} // namespace rk::catalogue
