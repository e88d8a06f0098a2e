// File: fuzz/http/headers_fuzz.cpp
// The header steps of the page request on any text: the walk of a response header block, the
// agent taken from request headers and the completion of the default lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "http/request.h"
#include "text/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.find('\0') != std::string_view::npos) {
        return 0;
    }
    Text location;
    Text cookies = "stale";
    walk_response_headers(input, location, cookies);
    // One "; " per Set-Cookie line, so the text is empty or ends with it.
    if (!cookies.empty() && (cookies.size() < 2 || cookies.compare(cookies.size() - 2, 2, "; ") != 0)) {
        std::abort();
    }
    if (text_find(input, "Location:") == -1 && !location.empty()) {
        std::abort();
    }
    (void)header_value(input);
    (void)request_agent(input);
    Text headers(input);
    complete_request_headers(headers, "http://127.0.0.1/p", "a=1");
    if (headers.compare(0, input.size(), input) != 0 || !headers.ends_with("\r\nCookie: a=1")) {
        std::abort();
    }
    return 0;
}
