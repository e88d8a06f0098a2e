// File: http/internal/curl_common.h
// What the page request and the image download share on libcurl: the one-time global set-up,
// the options every exchange gets (time-outs, protocols, no proxy, aborting when the program
// closes) and the scheme test.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string_view>

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

// True when text begins with "http://" or "https://" in any letter case.
bool has_http_scheme(std::string_view text);

}  // namespace http_internal
