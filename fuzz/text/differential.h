// File: fuzz/text/differential.h
// What the differential text targets share: the abort that reports a difference, the cut of fuzz
// bytes to a Text and the exact-size copy the fast code reads.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace differential {

inline void check(bool same) {
    if (!same) {
        std::abort();
    }
}

// A Text never holds a NUL: cut at the first one, as bytes_to_text does.
inline std::string as_text(std::string s) {
    const size_t nul = s.find('\0');
    if (nul != std::string::npos) {
        s.resize(nul);
    }
    return s;
}

// An exact-size heap copy of a text, so that any read past its end is caught.
class ExactCopy {
public:
    explicit ExactCopy(const std::string& text) : m_bytes(new char[text.size()]), m_size(text.size()) {
        std::copy(text.begin(), text.end(), m_bytes.get());
    }
    [[nodiscard]] std::string_view view() const { return {m_bytes.get(), m_size}; }

private:
    std::unique_ptr<char[]> m_bytes;
    size_t m_size;
};

}  // namespace differential
