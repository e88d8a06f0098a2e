// File: text/text.h
// The three value types every layer is written in (Text, Bytes, TextArray) and their basic
// operations: length, concatenation, equality and the conversions between numbers, texts and bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A GBK (code page 936) text: bytes, never a NUL. Positions count bytes from 1; -1 means "not found".
// The empty text is one value however it was made.
using Text = std::string;

// A counted array of any bytes, NUL included.
using Bytes = std::vector<uint8_t>;

// An array of Text indexed from 1 (use text_array_get); grows one element at a time.
using TextArray = std::vector<Text>;

// Number of bytes of the text.
[[nodiscard]] int32_t text_length(std::string_view text);

// The texts one after another; empty texts add nothing. text_concat("a", t, "b").
template <class... Parts>
[[nodiscard]] Text text_concat(const Parts&... parts) {
    Text out;
    out.reserve((std::string_view(parts).size() + ... + 0));
    (out.append(std::string_view(parts)), ...);
    return out;
}

// True when both texts hold the same bytes.
[[nodiscard]] bool text_equal(std::string_view a, std::string_view b);

// The value in decimal: '-12', '0'.
[[nodiscard]] Text int_to_text(int32_t value);

// The text's bytes (no terminator).
[[nodiscard]] Bytes text_to_bytes(std::string_view text);

// The bytes before the first NUL, or all of them: 61 00 62 gives 'a'.
[[nodiscard]] Text bytes_to_text(const Bytes& bytes);

// Number of bytes.
[[nodiscard]] int32_t bytes_length(const Bytes& bytes);
