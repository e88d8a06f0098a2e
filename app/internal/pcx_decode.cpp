// File: app/internal/pcx_decode.cpp
// PCX decoding of our own: the 128-byte header, run-length or stored scan lines, colour from
// the header's 16-entry palette, the 256-entry palette at the end, or the planes themselves.
#include <array>
#include <vector>

#include "app/internal/decoders.h"
#include "app/picture_decode.h"

namespace picture_internal {
namespace {

constexpr size_t kHeader = 128;
constexpr size_t kVgaPalette = 769;  // 0x0C and 256 x RGB at the end of the file

unsigned u16(std::span<const uint8_t> d, size_t at) {
    return d[at] | (unsigned{d[at + 1]} << 8);
}

// The plane bytes of every scan line, one after another; false when the data runs out.
bool unpack(std::span<const uint8_t> body, bool rle, std::vector<uint8_t>& out) {
    size_t at = 0;
    size_t filled = 0;
    while (filled < out.size()) {
        if (at >= body.size()) {
            return false;
        }
        uint8_t b = body[at++];
        size_t run = 1;
        if (rle && (b & 0xc0) == 0xc0) {
            run = b & 0x3f;
            if (at >= body.size()) {
                return false;
            }
            b = body[at++];
        }
        for (; run > 0 && filled < out.size(); --run) {
            out[filled++] = b;
        }
    }
    return true;
}

}  // namespace

QImage decode_pcx(std::span<const uint8_t> d) {
    if (d.size() < kHeader || d[0] != 0x0a || d[2] > 1) {
        return {};
    }
    const bool rle = d[2] == 1;
    const int bpp = d[3];
    const int planes = d[65];
    const unsigned xmin = u16(d, 4), ymin = u16(d, 6), xmax = u16(d, 8), ymax = u16(d, 10);
    const size_t line = u16(d, 66);
    if (xmax < xmin || ymax < ymin) {
        return {};
    }
    const int w = static_cast<int>(xmax - xmin + 1);
    const int h = static_cast<int>(ymax - ymin + 1);
    const bool packed = planes == 1 && (bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8);
    const bool planar = bpp == 1 && planes >= 2 && planes <= 4;
    const bool truecolour = bpp == 8 && (planes == 3 || planes == 4);
    if (!(packed || planar || truecolour) || !picture_size_allowed(w, h) || line == 0 ||
        line * 8 < static_cast<size_t>(w) * bpp) {
        return {};
    }
    // Sized and checked before anything is allocated: the header alone may claim gigabytes, and
    // a body can never unpack to more than 63 bytes for each of its bytes.
    const auto body = d.subspan(kHeader);
    const size_t needed = line * static_cast<size_t>(planes) * static_cast<size_t>(h);
    if (needed > static_cast<size_t>(kMaxPictureBytes) || needed > body.size() * (rle ? 63 : 1)) {
        return {};
    }
    std::vector<uint8_t> pixels(needed);
    if (!unpack(body, rle, pixels)) {
        return {};
    }

    std::array<QRgb, 256> palette{};
    for (int i = 0; i < 16; ++i) {
        palette[i] = qRgb(d[16 + 3 * i], d[17 + 3 * i], d[18 + 3 * i]);
    }
    if (bpp == 8 && planes == 1) {
        if (d.size() < kHeader + kVgaPalette || d[d.size() - kVgaPalette] != 0x0c) {
            // No palette at the end: shades of grey.
            for (int i = 0; i < 256; ++i) {
                palette[i] = qRgb(i, i, i);
            }
        } else {
            const auto* p = d.data() + d.size() - kVgaPalette + 1;
            for (int i = 0; i < 256; ++i) {
                palette[i] = qRgb(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
            }
        }
    } else if (bpp == 1 && planes == 1) {
        palette[0] = qRgb(0, 0, 0);
        palette[1] = qRgb(255, 255, 255);
    }

    QImage image(w, h, truecolour && planes == 4 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = pixels.data() + static_cast<size_t>(y) * line * planes;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (truecolour) {
                const uint8_t a = planes == 4 ? row[3 * line + x] : 0xff;
                out[x] = qRgba(row[x], row[line + x], row[2 * line + x], a);
            } else if (planar) {
                int index = 0;
                for (int p = 0; p < planes; ++p) {
                    index |= ((row[p * line + x / 8] >> (7 - x % 8)) & 1) << p;
                }
                out[x] = palette[index];
            } else {
                const int per_byte = 8 / bpp;
                const int shift = (per_byte - 1 - x % per_byte) * bpp;
                out[x] = palette[(row[x / per_byte] >> shift) & ((1 << bpp) - 1)];
            }
        }
    }
    return image;
}

}  // namespace picture_internal
