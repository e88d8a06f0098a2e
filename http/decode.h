// File: http/decode.h
// Decoding of response bodies: UTF-8 bytes to GBK text by way of UTF-16 little-endian.
#pragma once

#include "text/text.h"

// The body taken as UTF-8, converted to code page 936 and cut before its first NUL. Each maximal
// ill-formed UTF-8 subpart becomes U+FFFD; a byte-order mark is an ordinary character; a base
// character and the combining marks after it are composed where a precomposed character exists
// ('e' U+0301 gives A8 A6); every code point the code page cannot map gives one "?" (so
// EF BB BF 41 gives '?A'). The empty body gives the empty text.
[[nodiscard]] Text utf8_to_gbk(const Bytes& body);

// The UTF-8 bytes as UTF-16 little-endian code units, no terminator; each maximal ill-formed
// subpart becomes one U+FFFD, a NUL is kept.
[[nodiscard]] Bytes utf8_to_utf16(const Bytes& utf8);

// UTF-16 little-endian units (an odd last byte ignored) in code page 936, composed and mapped as
// utf8_to_gbk does, cut before the first NUL; a lone surrogate gives one "?".
[[nodiscard]] Text utf16_to_gbk(const Bytes& utf16le);
