// File: http/cookies.cpp
// Cookie merging over the text primitives.
#include "http/cookies.h"

#include "text/search.h"

namespace {

constexpr std::string_view kDeleted = "=deleted";

}  // namespace

Text merge_cookies(Text& cookies, Text& returned_cookies) {
    cookies = text_remove_spaces(cookies);
    returned_cookies = text_remove_spaces(returned_cookies);
    const TextArray old_items = text_split(cookies, ";");
    TextArray new_items = text_split(returned_cookies, ";");
    // new_items grows as old items are taken, so of several old items with one name only the first stays.
    for (const Text& item : old_items) {
        if (!cookie_name_present(new_items, cookie_name(item))) {
            text_array_append(new_items, item);
        }
    }
    cookies.clear();
    for (const Text& item : new_items) {
        if (!text_equal(text_right(item, text_length(kDeleted)), kDeleted)) {
            cookies.append(item).append("; ");
        }
    }
    cookies = text_left(cookies, text_length(cookies) - 2);
    cookies = join_distinct(cookies, "; ");
    return cookies;
}

Text cookie_name(std::string_view item) {
    const int32_t eq = text_find(item, "=");
    return eq == -1 ? text_trim(item) : text_trim(text_left(item, eq - 1));
}

bool cookie_name_present(const TextArray& items, std::string_view name) {
    for (const Text& item : items) {
        if (text_equal(cookie_name(item), name)) {
            return true;
        }
    }
    return false;
}

Text join_distinct(std::string_view text, std::string_view separator) {
    TextArray seen;
    Text result;
    for (const Text& piece : text_split(text, separator)) {
        if (text_array_find(seen, piece) == -1) {
            text_array_append(seen, piece);
            result.append(piece).append(separator);
        }
    }
    return text_left(result, text_length(result) - text_length(separator));
}

int32_t text_array_find(const TextArray& array, std::string_view sought) {
    for (int32_t i = 1; i <= array_size(array); ++i) {
        if (text_equal(text_array_get(array, i), sought)) {
            return i;
        }
    }
    return -1;
}
