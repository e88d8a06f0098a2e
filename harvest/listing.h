// File: harvest/listing.h
// The directory's contract as the harvester reads it: the listing page address, the HTML markers
// that cut items, titles, links and QR image addresses out of its pages, and the status text.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/text.h"

// Markers, byte for byte (ASCII, so the same in GBK).
inline constexpr std::string_view kItemLeft = "<div class=\"dt bb1\"><a href=\"";
inline constexpr std::string_view kItemRight = "\"><img";
inline constexpr std::string_view kTitleMarker = "title=\"";
inline constexpr std::string_view kLinkEnd = "\" title";
inline constexpr std::string_view kQrLeft = "<div class=\"fLeft b1\"><p><a href=\"";
inline constexpr std::string_view kQrRight = "\"><img";

// "http://" host "/wxq-9-" page "-or-3-vi-1.html": page 10 of 'h' gives 'http://h/wxq-9-10-or-3-vi-1.html'.
[[nodiscard]] Text listing_address(std::string_view host, int32_t page);

// The page's items in document order: each text between the item markers, trimmed, empty ones
// dropped. A page without a complete marker pair gives none.
[[nodiscard]] TextArray listing_items(std::string_view page);

// The title: everything after the item's last title marker; empty without one.
// 'L" title="T' gives 'T'.
[[nodiscard]] Text item_title(std::string_view item);
// The link, as written: everything before the item's first link end marker; empty without one.
// 'L" title="T' gives 'L'.
[[nodiscard]] Text item_link(std::string_view item);

// The QR image address on a group page: the text between the QR markers; empty when either is missing.
[[nodiscard]] Text group_qr_address(std::string_view group_page);

// "当前正才获取第" page "页，第" item "条数据，请耐心等待！" (GBK).
[[nodiscard]] Text harvest_status_text(int32_t page, int32_t item);
