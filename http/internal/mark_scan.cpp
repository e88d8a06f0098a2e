// File: http/internal/mark_scan.cpp
// Lead bytes (and, where a block mixes marks with common punctuation, the next bytes) under which
// Unicode places combining marks. tests/http/decode_test.cpp checks this against every code point.
#include "http/internal/mark_scan.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace http_internal {

namespace {

enum : uint8_t { kNone = 0, kMark = 1, kLook = 2 };

// What a byte says on its own: nothing (ASCII, continuation, U+0080..U+02FF, CJK, Hangul, private
// use, invalid), a possible mark, or a look at the next two bytes (E2, E3, EF).
constexpr std::array<uint8_t, 256> kByteKind = [] {
    std::array<uint8_t, 256> kind{};
    for (int b = 0xCC; b <= 0xE1; ++b) {
        kind[b] = kMark;
    }
    kind[0xE2] = kind[0xE3] = kind[0xEF] = kLook;
    kind[0xEA] = kMark;
    for (int b = 0xF0; b <= 0xF4; ++b) {
        kind[b] = kMark;
    }
    return kind;
}();

bool three_byte_mark(uint8_t b, uint8_t b1, uint8_t b2) {
    switch (b) {
        case 0xE2:  // U+20D0..20FF, U+2CEF..2CF1, U+2D7F, U+2DE0..2DFF
            return b1 == 0x83 || b1 == 0xB3 || b1 == 0xB5 || b1 == 0xB7;
        case 0xE3:  // U+302A..302F, U+3099..309A
            return (b1 == 0x80 && b2 >= 0xAA && b2 <= 0xAF) || (b1 == 0x82 && (b2 == 0x99 || b2 == 0x9A));
        default:  // 0xEF: U+FB1E, U+FE00..FE0F, U+FE20..FE2F
            return b1 == 0xAC || b1 == 0xB8;
    }
}

}  // namespace

bool utf8_may_hold_mark(const uint8_t* p, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen positions at a time, each with the two bytes after it, by the same rules as kByteKind
    // and three_byte_mark; the last two positions are left to the byte loop.
    const auto in_range = [](__m128i x, uint8_t lo, uint8_t hi) {
        const __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(lo)));
        return _mm_cmpeq_epi8(_mm_subs_epu8(shifted, _mm_set1_epi8(static_cast<char>(hi - lo))), _mm_setzero_si128());
    };
    const auto eq = [](__m128i x, uint8_t v) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(v))); };
    for (; i + 18 <= n; i += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i b1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
        const __m128i b2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 2));
        __m128i mark = _mm_or_si128(_mm_or_si128(in_range(b, 0xCC, 0xE1), eq(b, 0xEA)), in_range(b, 0xF0, 0xF4));
        const __m128i e2 = _mm_and_si128(eq(b, 0xE2), _mm_or_si128(_mm_or_si128(eq(b1, 0x83), eq(b1, 0xB3)),
                                                                   _mm_or_si128(eq(b1, 0xB5), eq(b1, 0xB7))));
        const __m128i e3 =
            _mm_and_si128(eq(b, 0xE3), _mm_or_si128(_mm_and_si128(eq(b1, 0x80), in_range(b2, 0xAA, 0xAF)),
                                                    _mm_and_si128(eq(b1, 0x82), in_range(b2, 0x99, 0x9A))));
        const __m128i ef = _mm_and_si128(eq(b, 0xEF), _mm_or_si128(eq(b1, 0xAC), eq(b1, 0xB8)));
        mark = _mm_or_si128(_mm_or_si128(mark, e2), _mm_or_si128(e3, ef));
        if (_mm_movemask_epi8(mark) != 0) {
            return true;
        }
    }
#endif
    for (; i < n; ++i) {
        const uint8_t kind = kByteKind[p[i]];
        if (kind != kNone && (kind == kMark || i + 2 >= n || three_byte_mark(p[i], p[i + 1], p[i + 2]))) {
            return true;
        }
    }
    return false;
}

}  // namespace http_internal
