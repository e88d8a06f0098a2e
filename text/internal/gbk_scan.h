// File: text/internal/gbk_scan.h
// Private helpers of the character-aware primitives: the character-boundary oracle that lets the
// searches find candidates with memchr/memmem and check them afterwards, and the A-Z folding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace text_internal {

inline const uint8_t* bytes_of(std::string_view s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

// Maps A-Z onto a-z and leaves every other byte alone.
inline uint8_t fold_byte(uint8_t c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<uint8_t>(c + 32) : c;
}

// True when the n bytes at a and b are equal after folding A-Z byte by byte.
inline bool equal_folded(const uint8_t* a, const uint8_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (fold_byte(a[i]) != fold_byte(b[i])) {
            return false;
        }
    }
    return true;
}

// Tells whether an offset starts a character when the text is walked from offset base, one byte
// for a byte below 0x80 and two for a byte of 0x80 or above. A byte below 0x80 always ends a
// character, so the run of high bytes directly before an offset decides it by its parity. The last
// run seen is remembered, so queries that only move forwards or only move backwards cost linear
// time in all.
class BoundaryOracle {
public:
    BoundaryOracle(const uint8_t* data, size_t base) : m_data(data), m_base(base) {}

    // Starts a new walk at base (after a match the walk resumes right behind it).
    void reset(size_t base) {
        m_base = base;
        m_run_start = m_run_end = kNone;
    }

    // pos >= base.
    bool is_boundary(size_t pos) {
        if (m_run_start != kNone && pos >= m_run_start && pos <= m_run_end) {
            return ((pos - m_run_start) & 1) == 0;
        }
        size_t q = pos;
        while (q > m_base && m_data[q - 1] >= 0x80) {
            if (q == m_run_end && m_run_start != kNone) {
                q = m_run_start;
                break;
            }
            --q;
        }
        m_run_start = q;
        m_run_end = pos;
        return ((pos - q) & 1) == 0;
    }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    const uint8_t* m_data;
    size_t m_base;
    size_t m_run_start = kNone;  // [m_run_start, m_run_end) are all high bytes, m_run_start a boundary
    size_t m_run_end = kNone;
};

// Offset of the first occurrence of needle (non-empty) in data[from, to) that begins on a character
// boundary of a walk starting at oracle's base; npos when none. Exact comparison.
size_t find_exact(const uint8_t* data, size_t from, size_t to, std::string_view needle, BoundaryOracle& oracle);

inline constexpr size_t npos = static_cast<size_t>(-1);

}  // namespace text_internal
