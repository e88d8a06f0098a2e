// File: text/text.cpp
// The basic operations on Text and Bytes: length, equality and the conversions between numbers,
// texts and bytes.
#include "text/text.h"

#include <charconv>
#include <cstring>

int32_t text_length(std::string_view text) {
    return static_cast<int32_t>(text.size());
}

bool text_equal(std::string_view a, std::string_view b) {
    return a == b;
}

Text int_to_text(int32_t value) {
    char buf[16];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return Text(buf, res.ptr);
}

Bytes text_to_bytes(std::string_view text) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    return Bytes(p, p + text.size());
}

Text bytes_to_text(const Bytes& bytes) {
    if (bytes.empty()) {
        return Text();
    }
    const void* nul = std::memchr(bytes.data(), 0, bytes.size());
    const size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes.data()) : bytes.size();
    return Text(reinterpret_cast<const char*>(bytes.data()), n);
}

int32_t bytes_length(const Bytes& bytes) {
    return static_cast<int32_t>(bytes.size());
}
