// File: tools/sample_directory.h
// The sample group directory: ten listing pages of made-up WeChat groups with Chinese titles, one
// page per group holding its QR picture, all in the directory's HTML contract (UTF-8). The groups
// are fixed by their place, so a test can compute what a harvest of the directory must yield.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Listing pages the directory serves: 1 to kSamplePages.
inline constexpr int32_t kSamplePages = 10;
inline constexpr int32_t kDefaultPerPage = 20;
inline constexpr int32_t kMaxPerPage = 500;

// A fault the directory can be told to show, at a listing page (item 0) or at one item of a page.
enum class FaultKind {
    NotFound,      // "404": the page answers 404 with a short HTML body
    Stall,         // "stall": the answer starts, then stops for stall_ms before it is finished
    Drop,          // "drop": the connection is closed without an answer
    NoQr,          // "no-qr": the group page lacks the QR markers (item only)
    NoTitle,       // "no-title": the item's anchor has no title attribute (item only)
    PipeTitle,     // "pipe-title": the item's title holds "|" (item only)
    RelativeLink,  // "relative-link": the item links to "/qun/<id>.html" (item only)
    Duplicate,     // "duplicate": the item is listed twice in a row (item only)
    CrLfTitle,     // "crlf-title": the item's title holds a CR LF (item only)
};

struct Fault {
    FaultKind kind;
    int32_t page = 2;
    int32_t item = 0;  // 0: the listing page itself (404, stall and drop only)
};

// Reads "KIND[@PAGE[.ITEM]]", e.g. "404@3", "stall@2.5", "no-title". Without a place: page 2, and
// item 3 for the kinds that only apply to items. nullopt for an unknown kind or a bad place.
[[nodiscard]] std::optional<Fault> parse_fault(std::string_view text);
[[nodiscard]] std::string_view fault_name(FaultKind kind);

struct SampleDirectoryOptions {
    int32_t per_page = kDefaultPerPage;
    std::vector<Fault> faults;
    int32_t stall_ms = 60000;
};

// One group of the directory (UTF-8 title).
struct SampleGroup {
    int32_t id = 0;
    int32_t page = 0;
    int32_t item = 0;
    std::string title;
};

// The group at item (1-based) of page; its id encodes both. Deterministic.
[[nodiscard]] SampleGroup sample_group(int32_t page, int32_t item);
// The page and item of a group id, nullopt when the id names no group of these options.
[[nodiscard]] std::optional<SampleGroup> sample_group_by_id(const SampleDirectoryOptions& options, int32_t id);

// The address a group's QR code stands for (made up; nothing is ever sent there).
[[nodiscard]] std::string join_address(int32_t id);
// Addresses as the directory writes them, host being "host:port" as the client asked for it.
[[nodiscard]] std::string listing_path(int32_t page);
[[nodiscard]] std::string group_page_address(std::string_view host, int32_t id);
[[nodiscard]] std::string qr_image_address(std::string_view host, int32_t id);

// The fault of the given kind at page and item, if any.
[[nodiscard]] const Fault* find_fault(const SampleDirectoryOptions& options, FaultKind kind, int32_t page,
                                      int32_t item);

// One anchor of a listing page, as the page shows it.
struct ListingItem {
    SampleGroup group;
    std::string title;  // what the title attribute holds (UTF-8); unused when !with_title
    std::string link;   // the href as written
    bool with_title = true;
};

// The items of listing page 1..kSamplePages in document order, faults applied.
[[nodiscard]] std::vector<ListingItem> listing_entries(const SampleDirectoryOptions& options, int32_t page);

// The HTML bodies (UTF-8).
[[nodiscard]] std::string index_html(std::string_view host);
[[nodiscard]] std::string listing_html(const SampleDirectoryOptions& options, std::string_view host, int32_t page);
[[nodiscard]] std::string group_html(const SampleDirectoryOptions& options, std::string_view host,
                                     const SampleGroup& group);
[[nodiscard]] std::string not_found_html();

// What a complete harvest of the directory yields, one "title|QR address" per group harvested, in
// order (UTF-8, no line end): 404 and dropped pages give nothing or an empty address, a stalled
// answer counts as answered, a relative link or a missing title as an empty link, and a CR or LF
// in a title becomes a space.
[[nodiscard]] std::vector<std::string> expected_entries(const SampleDirectoryOptions& options, std::string_view host);
