// File: http/internal/curl_common.h
// What the page request and the image download share on libcurl: the one-time global set-up,
// the options every exchange gets (time-outs, protocols, no proxy, aborting when the program
// closes), the capped body writer and the scheme test.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <string_view>

#include "text/text.h"

namespace http_internal {

// curl_global_init, once per process, safe from any thread.
void curl_init_once();

struct EasyCleanup {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
using Easy = std::unique_ptr<CURL, EasyCleanup>;

struct SlistFree {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Slist = std::unique_ptr<curl_slist, SlistFree>;

// Sets what every exchange has: only http and https (also for redirects), certificates verified,
// no signals, the connect and low-speed time-outs, and the abort when the program is closing.
// Returns false when libcurl refuses an option.
bool set_common_options(CURL* h);

// A response body collected up to a cap.
struct CappedBody {
    explicit CappedBody(size_t limit) : cap(limit) {}
    size_t cap;
    Bytes bytes;
    bool over_cap = false;  // a write would have passed the cap: the transfer was stopped there
};

// CURLOPT_WRITEFUNCTION with a CappedBody as CURLOPT_WRITEDATA: appends the data, or keeps nothing
// of it, sets over_cap and stops the transfer when the body would pass the cap.
size_t write_capped_body(char* data, size_t size, size_t count, void* user);

// True when text begins with "http://" or "https://" in any letter case.
bool has_http_scheme(std::string_view text);

}  // namespace http_internal
