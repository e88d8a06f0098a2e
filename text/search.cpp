// File: text/search.cpp
// Cutting by position, the character-aware searches, splitting, trimming, replacing and case
// folding, reading numbers, and the byte and integer helpers. Candidates are found with
// memchr/memmem and then checked to begin on a character boundary (internal/gbk_scan.h).
#include "text/search.h"

#include <cassert>
#include <cstring>

#include "text/internal/gbk_scan.h"

using text_internal::BoundaryOracle;
using text_internal::bytes_of;
using text_internal::equal_folded;
using text_internal::fold_byte;
using text_internal::npos;

namespace text_internal {

constexpr size_t kShortNeedle = 3;

size_t find_exact(const uint8_t* data, size_t from, size_t to, std::string_view needle, BoundaryOracle& oracle) {
    const size_t m = needle.size();
    while (from < to && to - from >= m) {
        // Short needles: memchr for the first byte beats memmem's byte-wise loop for them.
        const void* hit = m <= kShortNeedle
                              ? std::memchr(data + from, static_cast<uint8_t>(needle[0]), to - from - m + 1)
                              : memmem(data + from, to - from, needle.data(), m);
        if (hit == nullptr) {
            return npos;
        }
        const size_t p = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
        if ((m > kShortNeedle || std::memcmp(data + p + 1, needle.data() + 1, m - 1) == 0) && oracle.is_boundary(p)) {
            return p;
        }
        from = p + 1;
    }
    return npos;
}

}  // namespace text_internal

namespace {

bool has_letter(std::string_view s) {
    for (const char c : s) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
            return true;
        }
    }
    return false;
}

// First boundary occurrence in data[from, to) with A-Z folded byte by byte.
size_t find_folded(const uint8_t* data, size_t from, size_t to, std::string_view needle, BoundaryOracle& oracle) {
    const size_t m = needle.size();
    const uint8_t* n = bytes_of(needle);
    const uint8_t first = fold_byte(n[0]);
    if (to < m) {
        return npos;
    }
    for (size_t p = from; p + m <= to; ++p) {
        if (fold_byte(data[p]) == first && equal_folded(data + p + 1, n + 1, m - 1) && oracle.is_boundary(p)) {
            return p;
        }
    }
    return npos;
}

// Last boundary occurrence lying wholly in data[0, end), walking from byte 0.
size_t find_last_in(const uint8_t* data, size_t end, std::string_view needle, bool ignore_case) {
    const size_t m = needle.size();
    if (end < m) {
        return npos;
    }
    const uint8_t* n = bytes_of(needle);
    BoundaryOracle oracle(data, 0);
    if (!ignore_case || !has_letter(needle)) {
        size_t limit = end - m + 1;  // candidates are [0, limit)
        while (limit > 0) {
            const void* hit = memrchr(data, n[0], limit);
            if (hit == nullptr) {
                return npos;
            }
            const size_t p = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
            if (std::memcmp(data + p + 1, n + 1, m - 1) == 0 && oracle.is_boundary(p)) {
                return p;
            }
            limit = p;
        }
        return npos;
    }
    const uint8_t first = fold_byte(n[0]);
    for (size_t p = end - m + 1; p-- > 0;) {
        if (fold_byte(data[p]) == first && equal_folded(data + p + 1, n + 1, m - 1) && oracle.is_boundary(p)) {
            return p;
        }
    }
    return npos;
}

bool is_space_at(const uint8_t* s, size_t i, size_t len) {
    return s[i] == 0x20 || (s[i] == 0xA1 && i + 1 < len && s[i + 1] == 0xA1);
}

// Length of the character at i (a lone lead byte at the end counts as one byte).
size_t char_len(const uint8_t* s, size_t i, size_t len) {
    return (s[i] >= 0x80 && i + 1 < len) ? 2 : 1;
}

}  // namespace

Text text_left(std::string_view text, int32_t n) {
    if (n <= 0) {
        return Text();
    }
    return Text(text.substr(0, static_cast<size_t>(n)));
}

Text text_right(std::string_view text, int32_t n) {
    if (n <= 0) {
        return Text();
    }
    const size_t k = std::min(static_cast<size_t>(n), text.size());
    return Text(text.substr(text.size() - k));
}

Text text_mid(std::string_view text, int32_t start, int32_t n) {
    if (start < 1 || n <= 0 || static_cast<size_t>(start) > text.size()) {
        return Text();
    }
    return Text(text.substr(static_cast<size_t>(start) - 1, static_cast<size_t>(n)));
}

Text text_from_char_code(int32_t code) {
    const char c = static_cast<char>(code & 0xFF);
    return c == 0 ? Text() : Text(1, c);
}

Text text_of_spaces(int32_t n) {
    return n <= 0 ? Text() : Text(static_cast<size_t>(n), ' ');
}

int32_t text_find(std::string_view text, std::string_view sought, int32_t start, bool ignore_case) {
    const size_t len = text.size();
    const size_t b = start <= 1 ? 0 : static_cast<size_t>(start) - 1;
    if (b >= len) {
        return -1;
    }
    if (sought.empty()) {
        return 1;
    }
    const uint8_t* data = bytes_of(text);
    BoundaryOracle oracle(data, b);
    const size_t p = (ignore_case && has_letter(sought)) ? find_folded(data, b, len, sought, oracle)
                                                         : text_internal::find_exact(data, b, len, sought, oracle);
    return p == npos ? -1 : static_cast<int32_t>(p + 1);
}

int32_t text_find_last(std::string_view text, std::string_view sought, std::optional<int32_t> limit, bool ignore_case) {
    const size_t len = text.size();
    size_t b = len;
    if (limit.has_value()) {
        b = *limit <= 1 ? 0 : static_cast<size_t>(*limit) - 1;
    }
    const size_t end = std::min(b, len);
    if (end == 0) {
        return -1;
    }
    if (sought.empty()) {
        return 1;
    }
    const size_t p = find_last_in(bytes_of(text), end, sought, ignore_case);
    return p == npos ? -1 : static_cast<int32_t>(p + 1);
}

Text text_to_lower(std::string_view text) {
    Text out(text);
    const size_t len = out.size();
    for (size_t i = 0; i < len;) {
        const auto c = static_cast<uint8_t>(out[i]);
        if (c >= 0x80) {
            i += 2;  // both bytes of a two-byte character stay
        } else {
            if (c >= 'A' && c <= 'Z') {
                out[i] = static_cast<char>(c + 32);
            }
            ++i;
        }
    }
    return out;
}

Text text_trim(std::string_view text) {
    const uint8_t* s = bytes_of(text);
    const size_t len = text.size();
    size_t i = 0;
    while (i < len && is_space_at(s, i, len)) {
        i += s[i] == 0x20 ? 1 : 2;
    }
    const size_t first = i;
    size_t run_start = len;  // start of the final run of spaces, len when there is none
    while (i < len) {
        if (is_space_at(s, i, len)) {
            if (run_start == len) {
                run_start = i;
            }
            i += s[i] == 0x20 ? 1 : 2;
        } else {
            run_start = len;
            i += char_len(s, i, len);
        }
    }
    return Text(text.substr(first, run_start - first));
}

Text text_remove_spaces(std::string_view text) {
    const uint8_t* s = bytes_of(text);
    const size_t len = text.size();
    Text out;
    out.reserve(len);
    size_t i = 0;
    while (i < len) {
        if (is_space_at(s, i, len)) {
            i += s[i] == 0x20 ? 1 : 2;
            continue;
        }
        const size_t n = char_len(s, i, len);
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

Text text_replace_all(std::string_view text, std::string_view sought, std::string_view replacement) {
    if (text.empty() || sought.empty()) {
        return Text(text);
    }
    const uint8_t* data = bytes_of(text);
    const size_t len = text.size();
    BoundaryOracle oracle(data, 0);
    Text out;
    size_t done = 0;  // bytes of text already copied or replaced
    for (;;) {
        const size_t p = text_internal::find_exact(data, done, len, sought, oracle);
        if (p == npos) {
            break;
        }
        out.append(text.substr(done, p - done));
        out.append(replacement);
        done = p + sought.size();
        oracle.reset(done);
    }
    out.append(text.substr(done));
    return out;
}

constexpr size_t kReserveFrom = 1 << 16;

TextArray text_split(std::string_view text, std::string_view delimiter) {
    TextArray out;
    if (text.empty()) {
        return out;
    }
    if (delimiter.empty()) {
        out.emplace_back(text);
        return out;
    }
    const uint8_t* data = bytes_of(text);
    const size_t len = text.size();
    // Sizing the array once spares regrowing it (and moving every piece) for long lists; the count
    // may include trail-byte look-alikes, so it is capped at one element per 32 bytes of text.
    if (len >= kReserveFrom) {
        size_t count = 1;
        const auto first = static_cast<uint8_t>(delimiter[0]);
        for (size_t p = 0; p + delimiter.size() <= len; ++p) {
            const void* hit = std::memchr(data + p, first, len - delimiter.size() + 1 - p);
            if (hit == nullptr) {
                break;
            }
            p = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data);
            count += std::memcmp(data + p, delimiter.data(), delimiter.size()) == 0 ? 1 : 0;
        }
        out.reserve(std::min(count, len / 32 + 1));
    }
    BoundaryOracle oracle(data, 0);
    size_t piece = 0;
    for (;;) {
        const size_t p = text_internal::find_exact(data, piece, len, delimiter, oracle);
        if (p == npos) {
            break;
        }
        out.emplace_back(text.substr(piece, p - piece));
        piece = p + delimiter.size();
        oracle.reset(piece);
    }
    if (piece < len) {
        out.emplace_back(text.substr(piece));
    }
    return out;
}

void text_array_append(TextArray& array, std::string_view text) {
    array.emplace_back(text);
}

void text_array_clear(TextArray& array) {
    array.clear();
}

int32_t array_size(const TextArray& array) {
    return static_cast<int32_t>(array.size());
}

const Text& text_array_get(const TextArray& array, int32_t i) {
    assert(i >= 1 && static_cast<size_t>(i) <= array.size());
    return array[static_cast<size_t>(i) - 1];
}

namespace {

// Width folding of one character at i: the folded byte, or -1 when the character stays as it is.
int fold_width(const uint8_t* s, size_t i, size_t len) {
    if (s[i] < 0x80 || i + 1 >= len) {
        return -1;
    }
    const uint8_t lead = s[i];
    const uint8_t trail = s[i + 1];
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        return trail - 0x80;
    }
    if (lead == 0xA1) {
        if (trail == 0xA1) {
            return ' ';
        }
        if (trail == 0xAB) {
            return '~';
        }
        if (trail == 0xEE || trail == 0xEF) {
            return '*';
        }
    }
    return -1;
}

// Reads the folded text one byte at a time without building it.
class FoldedReader {
public:
    explicit FoldedReader(std::string_view text) : m_s(bytes_of(text)), m_len(text.size()) {}
    // The next folded byte, or -1 at the end. Unfolded two-byte characters yield their lead byte
    // and then their trail byte.
    int peek() const {
        if (m_i >= m_len) {
            return -1;
        }
        if (m_in_trail) {
            return m_s[m_i];
        }
        const int f = fold_width(m_s, m_i, m_len);
        return f >= 0 ? f : m_s[m_i];
    }
    void next() {
        if (m_in_trail) {
            m_in_trail = false;
            ++m_i;
        } else if (fold_width(m_s, m_i, m_len) >= 0) {
            m_i += 2;
        } else if (m_s[m_i] >= 0x80 && m_i + 1 < m_len) {
            m_in_trail = true;
            ++m_i;
        } else {
            ++m_i;
        }
    }

private:
    const uint8_t* m_s;
    size_t m_len;
    size_t m_i = 0;
    bool m_in_trail = false;
};

}  // namespace

int32_t text_to_int(std::string_view text) {
    FoldedReader r(text);
    while (r.peek() == ' ' || (r.peek() >= 0x09 && r.peek() <= 0x0D)) {
        r.next();
    }
    bool negative = false;
    if (r.peek() == '+' || r.peek() == '-') {
        negative = r.peek() == '-';
        r.next();
    }
    uint32_t value = 0;
    while (r.peek() >= '0' && r.peek() <= '9') {
        value = value * 10u + static_cast<uint32_t>(r.peek() - '0');
        r.next();
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int32_t>(value);
}

Bytes bytes_left(const Bytes& bytes, int32_t n) {
    if (n <= 0) {
        return Bytes();
    }
    const size_t k = std::min(static_cast<size_t>(n), bytes.size());
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(k));
}

Bytes bytes_of_zeros(int32_t n) {
    return n <= 0 ? Bytes() : Bytes(static_cast<size_t>(n), 0);
}

Bytes bytes_concat(std::initializer_list<std::span<const uint8_t>> parts) {
    size_t total = 0;
    for (const auto& p : parts) {
        total += p.size();
    }
    Bytes out;
    out.reserve(total);
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

bool bytes_equal(const Bytes& a, const Bytes& b) {
    return a == b;
}

int32_t bit_or(std::initializer_list<int32_t> values) {
    int32_t out = 0;
    for (const int32_t v : values) {
        out |= v;
    }
    return out;
}
