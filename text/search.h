// File: text/search.h
// Cutting texts by position, character-aware searching, splitting, trimming, replacing, case
// folding, reading numbers, and the byte and integer helpers. A GBK lead byte (0x80 and above)
// always takes the byte after it as its trail byte; searches compare only at character starts, so
// a '|' that is the trail byte of a two-byte character never matches.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

#include "text/text.h"

// The first min(n, length) bytes; n <= 0 gives the empty text.
[[nodiscard]] Text text_left(std::string_view text, int32_t n);
// The last min(n, length) bytes; n <= 0 gives the empty text.
[[nodiscard]] Text text_right(std::string_view text, int32_t n);
// At most n bytes from position start; empty when start < 1, start > length or n <= 0.
[[nodiscard]] Text text_mid(std::string_view text, int32_t start, int32_t n);
// The one-byte text of code; code 0 gives the empty text.
[[nodiscard]] Text text_from_char_code(int32_t code);
// n spaces (0x20); n <= 0 gives the empty text.
[[nodiscard]] Text text_of_spaces(int32_t n);

// Position of the first occurrence of sought beginning at or after start (start <= 1 searches
// from byte 1), -1 when none. An empty sought gives 1 when the searched part is not empty, even
// for start > 1. ignore_case folds only A-Z, byte by byte.
[[nodiscard]] int32_t text_find(std::string_view text, std::string_view sought, int32_t start = 1,
                                bool ignore_case = false);
// Position of the last occurrence lying wholly within bytes 1 to limit - 1 (left out: the whole
// text), -1 when none. In 'a=b=' the last "=" is at 4; with limit 4 it is at 2.
[[nodiscard]] int32_t text_find_last(std::string_view text, std::string_view sought,
                                     std::optional<int32_t> limit = std::nullopt, bool ignore_case = false);
// A-Z become a-z; every other byte, both bytes of a two-byte character included, stays.
[[nodiscard]] Text text_to_lower(std::string_view text);
// The text without leading and trailing spaces (0x20 and the full-width A1 A1 only).
[[nodiscard]] Text text_trim(std::string_view text);
// The text without any space (0x20, A1 A1), other characters in order.
[[nodiscard]] Text text_remove_spaces(std::string_view text);
// Every occurrence of sought, left to right without overlap, replaced: 'aaa', 'aa' -> 'b' gives 'ba'.
// An empty text or sought gives the text unchanged.
[[nodiscard]] Text text_replace_all(std::string_view text, std::string_view sought, std::string_view replacement);

// The pieces between occurrences of delimiter: inner empty pieces kept, a trailing empty piece
// dropped ('a\r\nb\r\n' gives 'a', 'b'); the empty text gives no piece; an empty delimiter gives
// the whole text as one piece.
[[nodiscard]] TextArray text_split(std::string_view text, std::string_view delimiter);
// Appends a copy of text as the new last element.
void text_array_append(TextArray& array, std::string_view text);
// Removes every element.
void text_array_clear(TextArray& array);
// Number of elements.
[[nodiscard]] int32_t array_size(const TextArray& array);
// Element i, 1 <= i <= array_size (asserted).
[[nodiscard]] const Text& text_array_get(const TextArray& array, int32_t i);

// The decimal number at the front after width folding (full-width digits, signs and space) and
// leading white space; optional sign; 32-bit wrap-around; 0 when there is no digit.
// '4294967295' gives -1, '0x10' gives 0.
[[nodiscard]] int32_t text_to_int(std::string_view text);

// The first min(n, length) bytes; n <= 0 gives the empty bytes.
[[nodiscard]] Bytes bytes_left(const Bytes& bytes, int32_t n);
// n zero bytes; n <= 0 gives the empty bytes.
[[nodiscard]] Bytes bytes_of_zeros(int32_t n);
// The arrays one after another.
[[nodiscard]] Bytes bytes_concat(std::initializer_list<std::span<const uint8_t>> parts);
// True when both have the same length and bytes.
[[nodiscard]] bool bytes_equal(const Bytes& a, const Bytes& b);
// Bitwise OR of all values.
[[nodiscard]] int32_t bit_or(std::initializer_list<int32_t> values);
