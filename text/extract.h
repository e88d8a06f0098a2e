// File: text/extract.h
// Cutting pieces out of a text by a delimiter or a pair of markers: the screen-scraping of the
// directory's pages, the splitting of group list lines and the picking of header values.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/text.h"

// Everything before the first delimiter at or after start (start <= 0 means 1); the result always
// begins at byte 1. Not found: the empty text. 'a|b|c', "|", start 3 gives 'a|b'.
[[nodiscard]] Text text_before(std::string_view text, std::string_view delimiter, int32_t start = 1,
                               bool ignore_case = false);
// Everything after the last delimiter lying within bytes 1 to start - 1 (left out: the text's
// length, so a delimiter ending on the last byte is not seen): 'a=b=', "=" gives 'b='.
[[nodiscard]] Text text_after_last(std::string_view text, std::string_view delimiter,
                                   std::optional<int32_t> start = std::nullopt, bool ignore_case = false);
// The bytes between the first left marker at or after start and the next right marker; the token
// "#引号" in either marker stands for a double quote. Empty when either is missing.
[[nodiscard]] Text text_between(std::string_view text, std::string_view left, std::string_view right,
                                int32_t start = 1, bool ignore_case = false);
// As text_between, but ignoring case unless match_case.
[[nodiscard]] Text text_between_nocase(std::string_view text, std::string_view left, std::string_view right,
                                       int32_t start = 1, bool match_case = false);
// Every piece between a left and the next right marker, trimmed, wrapped in prefix and suffix,
// dropped when empty, then wrapped in the markers when asked, then kept only when shorter than
// max_length (0: no limit). result is overwritten; returns its size. Empty markers give 0.
// Calls process_events between pieces.
int32_t all_between(std::string_view text, std::string_view left, std::string_view right, TextArray& result,
                    bool ignore_case = false, int32_t max_length = 0, std::string_view prefix = {},
                    std::string_view suffix = {}, bool include_left = false, bool include_right = false,
                    int32_t start = 1);
