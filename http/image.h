// File: http/image.h
// The whole-body image download used for QR images, by the presentation cycle and the worker.
#pragma once

#include <string_view>

#include "text/text.h"

// HTTP/1.0 GET of url (cut at "#"), the body of any status; empty bytes when url is not an
// explicit http:// or https:// address with a host, on any failure, or when the program is
// closing. Safe to call from several threads at once.
[[nodiscard]] Bytes http_get_bytes(std::string_view url);
