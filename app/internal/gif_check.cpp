// File: app/internal/gif_check.cpp
// A walk over a GIF's blocks that checks the screen and every frame against the picture limits
// before any decoder allocates for them.
#include "app/internal/decoders.h"
#include "app/picture_decode.h"

namespace picture_internal {
namespace {

unsigned u16(std::span<const uint8_t> d, size_t at) {
    return d[at] | (unsigned{d[at + 1]} << 8);
}

// Skips a chain of data sub-blocks starting at `at`; false when it runs past the end.
bool skip_sub_blocks(std::span<const uint8_t> d, size_t& at) {
    for (;;) {
        if (at >= d.size()) {
            return false;
        }
        const size_t n = d[at++];
        if (n == 0) {
            return true;
        }
        at += n;
    }
}

size_t colour_table_size(uint8_t flags) {
    return (flags & 0x80) ? 3u << ((flags & 7) + 1) : 0;
}

}  // namespace

bool gif_within_limits(std::span<const uint8_t> d, int* frames) {
    *frames = 0;
    if (d.size() < 13 || !picture_size_allowed(u16(d, 6), u16(d, 8))) {
        return false;
    }
    size_t at = 13 + colour_table_size(d[10]);
    while (at < d.size()) {
        const uint8_t kind = d[at++];
        if (kind == 0x3b) {  // trailer
            break;
        }
        if (kind == 0x21) {  // extension: label, then sub-blocks
            ++at;
            if (!skip_sub_blocks(d, at)) {
                break;
            }
        } else if (kind == 0x2c) {  // image descriptor
            if (at + 9 > d.size()) {
                break;
            }
            const unsigned left = u16(d, at), top = u16(d, at + 2), w = u16(d, at + 4), h = u16(d, at + 6);
            if (!picture_size_allowed(w, h) || !picture_size_allowed(left + w, top + h)) {
                return false;
            }
            at += 9 + colour_table_size(d[at + 8]) + 1;  // + LZW minimum code size
            ++*frames;
            if (!skip_sub_blocks(d, at)) {
                break;
            }
        } else {
            break;  // not a block: what follows is ignored, as decoders do
        }
    }
    return *frames > 0;
}

}  // namespace picture_internal
