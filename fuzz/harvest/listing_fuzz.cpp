// File: fuzz/harvest/listing_fuzz.cpp
// The directory's pages are outside input: any bytes, cut as a listing page and as a group page,
// must give items, titles, links and addresses that are pieces of the input, and entry lines that
// are exactly one line each.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "groups/list_file.h"
#include "harvest/listing.h"

namespace {
void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    if (page.find('\0') != std::string_view::npos) {
        return 0;  // a Text never holds a NUL
    }
    const TextArray items = listing_items(page);
    for (const Text& item : items) {
        check(!item.empty() && page.find(item) != std::string_view::npos);
        const Text title = item_title(item);
        const Text link = item_link(item);
        check(std::string_view(item).ends_with(title));
        check(std::string_view(item).starts_with(link));
        const Text line = group_entry_line({title, group_qr_address(page)});
        check(std::string_view(line).ends_with("\r\n"));
        check(std::count(line.begin(), line.end(), '\n') == 1 && std::count(line.begin(), line.end(), '\r') == 1);
    }
    const Text qr = group_qr_address(page);
    check(page.find(qr) != std::string_view::npos);
    return 0;
}
