// File: text/extract.cpp
// The five extraction routines: before a delimiter, after the last delimiter, between a pair of
// markers (once or all pieces), built on the character-aware searches.
#include "text/extract.h"

#include "text/search.h"
#include "text/services.h"

namespace {

// "#引号": in a marker of text_between it stands for one double quote.
constexpr std::string_view kQuoteToken = "#\xd2\xfd\xba\xc5";  // #引号

Text between(std::string_view text, std::string_view left, std::string_view right, int32_t start, bool ignore_case) {
    const Text l = text_replace_all(left, kQuoteToken, "\"");
    const Text r = text_replace_all(right, kQuoteToken, "\"");
    int32_t p1 = text_find(text, l, start, ignore_case);
    if (p1 == -1) {
        return Text();
    }
    p1 += text_length(l);
    const int32_t p2 = text_find(text, r, p1, ignore_case);
    if (p2 == -1) {
        return Text();
    }
    return text_mid(text, p1, p2 - p1);
}

}  // namespace

Text text_before(std::string_view text, std::string_view delimiter, int32_t start, bool ignore_case) {
    const int32_t p = text_find(text, delimiter, start <= 0 ? 1 : start, ignore_case);
    if (p == -1) {
        return Text();
    }
    return text_left(text, p - 1);
}

Text text_after_last(std::string_view text, std::string_view delimiter, std::optional<int32_t> start,
                     bool ignore_case) {
    const int32_t len = text_length(text);
    const int32_t p = text_find_last(text, delimiter, start.has_value() ? *start : len, ignore_case);
    if (p == -1) {
        return Text();
    }
    return text_right(text, len - text_length(delimiter) - p + 1);
}

Text text_between(std::string_view text, std::string_view left, std::string_view right, int32_t start,
                  bool ignore_case) {
    return between(text, left, right, start, ignore_case);
}

Text text_between_nocase(std::string_view text, std::string_view left, std::string_view right, int32_t start,
                         bool match_case) {
    return between(text, left, right, start, !match_case);
}

int32_t all_between(std::string_view text, std::string_view left, std::string_view right, TextArray& result,
                    bool ignore_case, int32_t max_length, std::string_view prefix, std::string_view suffix,
                    bool include_left, bool include_right, int32_t start) {
    text_array_clear(result);
    // An empty marker would be found again at the same place for ever.
    if (left.empty() || right.empty()) {
        return 0;
    }
    const int32_t left_len = text_length(left);
    int32_t c = start <= 1 ? 1 : start;
    for (;;) {
        const int32_t p1 = text_find(text, left, c, ignore_case);
        if (p1 == -1) {
            break;
        }
        const int32_t p2 = text_find(text, right, p1 + left_len, ignore_case);
        if (p2 == -1) {
            break;
        }
        c = p1 + left_len;
        const Text trimmed = text_trim(text_mid(text, c, p2 - c));
        if (!trimmed.empty() || !prefix.empty() || !suffix.empty()) {
            Text piece = text_concat(include_left ? left : std::string_view(), prefix, trimmed, suffix,
                                     include_right ? right : std::string_view());
            if (max_length == 0 || text_length(piece) < max_length) {
                result.push_back(std::move(piece));
            }
            c = p2;
        }
        process_events();
    }
    return array_size(result);
}
