// File: http/url.h
// Taking a URL text apart into the host and port a connection is opened to and the object path
// that is requested. The routines never fail: any text yields some host, port and path.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/text.h"

// The host in lower case: the text after the first "https://" (when the URL begins with it) or
// the first "http://" (put in front when the URL holds it nowhere) up to the next "/", and only
// "/" ends it: 'http://a.example.org?q=1' gives 'a.example.org?q=1'. last_two_labels keeps the
// last two dot-separated labels (before the port is cut); keep_port keeps ":port". A relative
// or empty URL gives the empty text.
[[nodiscard]] Text url_host(std::string_view url, bool last_two_labels = false, bool keep_port = false);

// The port after the host's last ":" read by text_to_int (not a number: 0), else 443 when the
// URL's first five bytes, lower-cased, are "https", else 80. 'https://a.example.org:80/' gives 80.
[[nodiscard]] int32_t url_port(std::string_view url);

// Everything from the first "/" at or after the host's first occurrence in the URL (ignoring
// case) to the end, query and fragment included, letter case kept; "/" when there is none.
// 'http://a.example.org:8080/p/q?r=1#f' gives '/p/q?r=1#f'.
[[nodiscard]] Text url_path(std::string_view url);
