// File: http/cookies.h
// Merging the cookie text a request sent with the cookies its response set, so that a caller
// keeping its cookie text between requests always sends an up-to-date one.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/text.h"

// Merges returned_cookies into cookies, both with every space removed first (the caller sees
// that): the server's items first, then the caller's items whose names the server did not set,
// no item ending in "=deleted", items joined by "; ", whole repeats dropped. Returns a copy of
// the merged cookies. 'sid=1; tok=7' with 'sid=2; tok=deleted; ' gives 'sid=2'.
Text merge_cookies(Text& cookies, Text& returned_cookies);

// The trimmed text before the item's first "=", or the trimmed item when it has none.
[[nodiscard]] Text cookie_name(std::string_view item);

// True when some item's cookie_name equals name byte for byte (letter case matters).
[[nodiscard]] bool cookie_name_present(const TextArray& items, std::string_view name);

// The text split at separator with every piece already seen dropped, joined by separator again.
// Only whole equal pieces are repeats: 'a=1; a=2; a=1' gives 'a=1; a=2'.
[[nodiscard]] Text join_distinct(std::string_view text, std::string_view separator);

// 1-based index of the first element equal to sought, byte for byte; -1 when none.
[[nodiscard]] int32_t text_array_find(const TextArray& array, std::string_view sought);
