// File: http/internal/mark_scan.h
// A quick look at UTF-8 bytes for anything that could be a combining mark, so that text without
// one (ASCII, CJK, full-width punctuation) is converted in one pass without the composition step.
#pragma once

#include <cstddef>
#include <cstdint>

namespace http_internal {

// True when the bytes may hold a combining mark (general category M); false only when they
// certainly hold none. Ill-formed or cut-off sequences at the end count as "may".
bool utf8_may_hold_mark(const uint8_t* p, size_t n);

}  // namespace http_internal
