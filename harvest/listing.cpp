// File: harvest/listing.cpp
// The pure steps of the harvester, kept apart from the network and the window.
#include "harvest/listing.h"

#include "text/extract.h"

namespace {
constexpr std::string_view kStatusBefore =
    "\xb5\xb1\xc7\xb0\xd5\xfd\xb2\xc5\xbb\xf1\xc8\xa1\xb5\xda";       // 当前正才获取第
constexpr std::string_view kStatusPage = "\xd2\xb3\xa3\xac\xb5\xda";  // 页，第
constexpr std::string_view kStatusAfter =
    "\xcc\xf5\xca\xfd\xbe\xdd\xa3\xac\xc7\xeb\xc4\xcd\xd0\xc4\xb5\xc8\xb4\xfd\xa3\xa1";  // 条数据，请耐心等待！
}  // namespace

Text listing_address(std::string_view host, int32_t page) {
    return text_concat("http://", host, "/wxq-9-", int_to_text(page), "-or-3-vi-1.html");
}

TextArray listing_items(std::string_view page) {
    TextArray items;
    all_between(page, kItemLeft, kItemRight, items);
    return items;
}

Text item_title(std::string_view item) {
    return text_after_last(item, kTitleMarker);
}

Text item_link(std::string_view item) {
    return text_before(item, kLinkEnd);
}

Text group_qr_address(std::string_view group_page) {
    return text_between(group_page, kQrLeft, kQrRight);
}

Text harvest_status_text(int32_t page, int32_t item) {
    return text_concat(kStatusBefore, int_to_text(page), kStatusPage, int_to_text(item), kStatusAfter);
}
