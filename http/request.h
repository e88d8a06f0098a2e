// File: http/request.h
// One HTTP exchange with default request headers, redirect reporting and cookie merging
// (http_request), the page fetch built on it (fetch_page), and the pure steps of both.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "text/text.h"

// The agent sent when extra_headers names none.
inline constexpr std::string_view default_user_agent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; K9ZEB; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";

// The eleven arguments of one exchange. An optional field is present or absent; an absent one
// acts as its default, and an absent in/out or out field is a private value nobody sees (it
// stays absent). Present in/out and out fields are updated in place.
struct PageRequest {
    Text url{};                              // in
    std::optional<int32_t> method{};         // in: 0 GET, 1 POST, other: verb GET with a body
    std::optional<Text> post_text{};         // in: the body when post_bytes is empty
    std::optional<Text> cookies{};           // in/out: sent as "Cookie:", returned merged
    std::optional<Text> returned_cookies{};  // out: each Set-Cookie cookie and ";", no spaces
    std::optional<Text> extra_headers{};     // in/out: header lines joined by CR LF, completed
    std::optional<Text> location{};          // in/out: last "Location:" value, else raw_headers
    std::optional<bool> no_redirect{};       // in: true returns a redirect response itself
    std::optional<Bytes> post_bytes{};       // in/out: filled from post_text when a body is sent
    std::optional<Text> proxy{};             // in: present and empty means direct
    std::optional<Text> raw_headers{};       // out: final status and header lines, CR LF each
};

// Performs the exchange and returns the body exactly as received (any status). A URL whose host
// is empty fails before the request: empty bytes and every field as it came in. Any failure of
// the transfer is a failed send: empty body, raw_headers of 5000 spaces, location those spaces
// when it came in empty, cookies still merged. A body over 16 MiB comes back empty, the other
// results produced. A time-out or a cut after the header block returns the body so far.
Bytes http_request(PageRequest& request);

// http_request with every optional field handed on as present (absent ones with their default,
// so the proxy is present and empty and the request goes direct); the body decoded by
// utf8_to_gbk. Present in/out and out fields of request are updated; absent ones stay absent.
Text fetch_page(PageRequest& request);
// fetch_page with the URL alone, as the harvester calls it.
[[nodiscard]] Text fetch_page(std::string_view url);

// The trimmed text after the line's first ":"; the empty text when it has none.
[[nodiscard]] Text header_value(std::string_view line);

// The agent for extra_headers: the trimmed text between "User-Agent:" (any case) and the next
// CR LF; when that is empty, header_value of the whole text; when none is named,
// default_user_agent. 'Accept: a\r\nUser-Agent: X' gives 'a\r\nUser-Agent: X'.
[[nodiscard]] Text request_agent(std::string_view extra_headers);

// extra_headers completed in place with the default lines, in order: Referer (url), Accept,
// Accept-Language, Content-Type, each when its name with ":" occurs nowhere (case-sensitive),
// then "Cookie: " and cookies whenever cookies is not empty. No CR LF at the end.
void complete_request_headers(Text& extra_headers, std::string_view url, std::string_view cookies);

// Walks the raw header block's lines: each line holding "Location:" sets location to its
// header_value; each line holding "Set-Cookie" appends the trimmed text between "Set-Cookie:"
// and ";" (any case) and "; " to returned_cookies, which starts empty.
void walk_response_headers(std::string_view raw_headers, Text& location, Text& returned_cookies);

// Time-outs of every exchange; tests shorten them. The low-speed limit aborts a transfer that
// moves under 1 byte/s for low_speed (whole seconds, at least 1).
struct HttpTimeouts {
    std::chrono::milliseconds connect{15000};
    std::chrono::seconds low_speed{30};
    std::chrono::milliseconds page_total{120000};
    std::chrono::milliseconds image_total{60000};
};
[[nodiscard]] HttpTimeouts http_timeouts();
// Test seam: replaces the time-outs for the rest of the process (or until reset).
void set_http_timeouts_for_test(const HttpTimeouts& timeouts);
void reset_http_timeouts_for_test();
