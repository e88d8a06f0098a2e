// File: tests/text/plain_walk.h
// A deliberately plain model of the character-aware primitives: every routine walks the text one
// character at a time and compares at each character, exactly as the rules read. The fast code in
// text/ is checked against it by the tests and the differential fuzz targets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plain {

inline size_t step(std::string_view t, size_t i) {
    return static_cast<unsigned char>(t[i]) >= 0x80 ? 2 : 1;
}

inline char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool same_at(std::string_view t, size_t i, std::string_view s, bool ignore_case) {
    for (size_t k = 0; k < s.size(); ++k) {
        const char a = t[i + k];
        const char b = s[k];
        if (ignore_case ? lower(a) != lower(b) : a != b) {
            return false;
        }
    }
    return true;
}

inline int32_t find(std::string_view t, std::string_view s, int32_t start = 1, bool ignore_case = false) {
    const size_t len = t.size();
    const size_t b = start > 1 ? static_cast<size_t>(start - 1) : 0;
    if (b >= len) {
        return -1;
    }
    if (s.empty()) {
        return 1;
    }
    for (size_t i = b; i < len; i += step(t, i)) {
        if (len - i >= s.size() && same_at(t, i, s, ignore_case)) {
            return static_cast<int32_t>(i + 1);
        }
    }
    return -1;
}

inline int32_t find_last(std::string_view t, std::string_view s, std::optional<int32_t> limit = std::nullopt,
                         bool ignore_case = false) {
    size_t b = t.size();
    if (limit) {
        b = *limit > 1 ? static_cast<size_t>(*limit - 1) : 0;
    }
    const size_t e = b < t.size() ? b : t.size();
    if (e == 0) {
        return -1;
    }
    if (s.empty()) {
        return 1;
    }
    int32_t last = -1;
    for (size_t i = 0; i < e; i += step(t, i)) {
        if (e - i >= s.size() && same_at(t, i, s, ignore_case)) {
            last = static_cast<int32_t>(i + 1);
        }
    }
    return last;
}

inline std::string replace_all(std::string_view t, std::string_view s, std::string_view r) {
    if (t.empty() || s.empty()) {
        return std::string(t);
    }
    std::string out;
    size_t i = 0;
    while (t.size() - i >= s.size()) {
        if (same_at(t, i, s, false)) {
            out += r;
            i += s.size();
        } else {
            const size_t n = std::min(step(t, i), t.size() - i);
            out += t.substr(i, n);
            i += n;
        }
    }
    out += t.substr(i);
    return out;
}

inline std::vector<std::string> split(std::string_view t, std::string_view d) {
    std::vector<std::string> out;
    if (t.empty()) {
        return out;
    }
    if (d.empty()) {
        return {std::string(t)};
    }
    size_t piece = 0;
    size_t i = 0;
    while (i < t.size() && t.size() - i >= d.size()) {
        if (same_at(t, i, d, false)) {
            out.emplace_back(t.substr(piece, i - piece));
            i += d.size();
            piece = i;
        } else {
            i += step(t, i);
        }
    }
    if (piece < t.size()) {
        out.emplace_back(t.substr(piece));
    }
    return out;
}

// Length of the space at i (1 or 2), 0 when the character there is no space.
inline size_t space_at(std::string_view t, size_t i) {
    if (t[i] == ' ') {
        return 1;
    }
    if (t.substr(i, 2) == "\xa1\xa1") {
        return 2;
    }
    return 0;
}

inline std::string trim(std::string_view t) {
    size_t i = 0;
    while (i < t.size() && space_at(t, i) > 0) {
        i += space_at(t, i);
    }
    const size_t first = i;
    size_t end = first;  // end of the last character that is not a space
    while (i < t.size()) {
        if (space_at(t, i) > 0) {
            i += space_at(t, i);
        } else {
            i += step(t, i);
            end = std::min(i, t.size());
        }
    }
    return std::string(t.substr(first, end - first));
}

inline std::string remove_spaces(std::string_view t) {
    std::string out;
    for (size_t i = 0; i < t.size();) {
        if (space_at(t, i) > 0) {
            i += space_at(t, i);
        } else {
            out += t.substr(i, step(t, i));
            i += step(t, i);
        }
    }
    return out;
}

inline std::string to_lower(std::string_view t) {
    std::string out;
    for (size_t i = 0; i < t.size(); i += step(t, i)) {
        out += step(t, i) == 1 ? std::string(1, lower(t[i])) : std::string(t.substr(i, 2));
    }
    return out;
}

inline int32_t to_int(std::string_view t) {
    std::string folded;
    for (size_t i = 0; i < t.size();) {
        const auto lead = static_cast<unsigned char>(t[i]);
        if (lead < 0x80 || i + 1 == t.size()) {
            folded += t[i];
            ++i;
            continue;
        }
        const auto trail = static_cast<unsigned char>(t[i + 1]);
        if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
            folded += static_cast<char>(trail - 0x80);
        } else if (lead == 0xA1 && trail == 0xA1) {
            folded += ' ';
        } else if (lead == 0xA1 && trail == 0xAB) {
            folded += '~';
        } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
            folded += '*';
        } else {
            folded += t.substr(i, 2);
        }
        i += 2;
    }
    size_t i = 0;
    while (i < folded.size() && (folded[i] == ' ' || (folded[i] >= 9 && folded[i] <= 13))) {
        ++i;
    }
    bool negative = false;
    if (i < folded.size() && (folded[i] == '+' || folded[i] == '-')) {
        negative = folded[i] == '-';
        ++i;
    }
    uint32_t v = 0;
    for (; i < folded.size() && folded[i] >= '0' && folded[i] <= '9'; ++i) {
        v = v * 10 + static_cast<uint32_t>(folded[i] - '0');
    }
    return static_cast<int32_t>(negative ? 0u - v : v);
}

// The extraction routines, written from their steps on top of the plain walk.
inline std::string mid(std::string_view t, int32_t start, int32_t n) {
    if (start < 1 || n <= 0 || static_cast<size_t>(start) > t.size()) {
        return {};
    }
    return std::string(t.substr(static_cast<size_t>(start - 1), static_cast<size_t>(n)));
}

inline std::string before(std::string_view t, std::string_view d, int32_t start, bool ic) {
    const int32_t p = find(t, d, start <= 0 ? 1 : start, ic);
    return p == -1 ? std::string() : std::string(t.substr(0, static_cast<size_t>(p - 1)));
}

inline std::string after_last(std::string_view t, std::string_view d, std::optional<int32_t> start, bool ic) {
    const auto len = static_cast<int32_t>(t.size());
    const int32_t p = find_last(t, d, start ? *start : len, ic);
    if (p == -1) {
        return {};
    }
    const int32_t n = len - static_cast<int32_t>(d.size()) - p + 1;
    return n <= 0 ? std::string() : std::string(t.substr(t.size() - static_cast<size_t>(n)));
}

inline std::string between(std::string_view t, std::string_view l0, std::string_view r0, int32_t start, bool ic) {
    const std::string l = replace_all(l0, "#\xd2\xfd\xba\xc5", "\"");
    const std::string r = replace_all(r0, "#\xd2\xfd\xba\xc5", "\"");
    int32_t p1 = find(t, l, start, ic);
    if (p1 == -1) {
        return {};
    }
    p1 += static_cast<int32_t>(l.size());
    const int32_t p2 = find(t, r, p1, ic);
    return p2 == -1 ? std::string() : mid(t, p1, p2 - p1);
}

inline std::vector<std::string> all_between(std::string_view t, std::string_view l, std::string_view r, bool ic,
                                            int32_t max_length, std::string_view prefix, std::string_view suffix,
                                            bool include_left, bool include_right, int32_t start) {
    std::vector<std::string> out;
    if (l.empty() || r.empty()) {
        return out;
    }
    const auto ll = static_cast<int32_t>(l.size());
    int32_t c = start;
    for (;;) {
        const int32_t p1 = find(t, l, c, ic);
        if (p1 == -1) {
            break;
        }
        const int32_t p2 = find(t, r, p1 + ll, ic);
        if (p2 == -1) {
            break;
        }
        c = p1 + ll;
        std::string piece = std::string(prefix) + trim(mid(t, c, p2 - c)) + std::string(suffix);
        if (!piece.empty()) {
            if (include_left) {
                piece = std::string(l) + piece;
            }
            if (include_right) {
                piece += r;
            }
            if (max_length == 0 || static_cast<int32_t>(piece.size()) < max_length) {
                out.push_back(piece);
            }
            c = p2;
        }
    }
    return out;
}

}  // namespace plain
