// File: fuzz/http/cookies_fuzz.cpp
// merge_cookies of two texts cut from the input at its first 0x01 byte; checks the merged text's
// shape: no space in an item, no deleted item, no repeated item.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "http/cookies.h"
#include "text/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.find('\0') != std::string_view::npos || size > 4096) {
        return 0;
    }
    // A lead byte takes the next byte as its trail whatever it is, so a lead before ";" or " " would
    // hide them from every search: the shape holds for texts whose lead bytes have real trail bytes.
    for (size_t i = 0; i < size; ++i) {
        if (data[i] >= 0x80) {
            if (i + 1 == size || data[i + 1] < 0x40) {
                return 0;
            }
            ++i;
        }
    }
    const size_t cut = input.find('\x01');
    Text cookies(input.substr(0, cut));
    Text returned(cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1));
    const Text merged = merge_cookies(cookies, returned);
    if (merged != cookies || text_find(returned, " ") != -1) {
        std::abort();
    }
    const TextArray items = text_split(cookies, "; ");
    TextArray seen;
    for (const Text& item : items) {
        if (text_find(item, " ") != -1) {
            std::abort();
        }
        if (item.size() >= 8 && item.compare(item.size() - 8, 8, "=deleted") == 0) {
            std::abort();
        }
        if (text_array_find(seen, item) != -1) {
            std::abort();
        }
        seen.push_back(item);
    }
    return 0;
}
