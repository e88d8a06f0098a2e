// File: http/internal/curl_common.cpp
// The libcurl set-up shared by the page request and the image download.
#include "http/internal/curl_common.h"

#include <algorithm>
#include <mutex>

#include "http/request.h"
#include "text/services.h"

namespace http_internal {
namespace {

std::mutex g_timeouts_mutex;
HttpTimeouts g_timeouts;

// Aborts the transfer once the main window has been closed.
int on_progress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return program_closing() ? 1 : 0;
}

}  // namespace

void curl_init_once() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t write_capped_body(char* data, size_t size, size_t count, void* user) {
    auto& body = *static_cast<CappedBody*>(user);
    const size_t n = size * count;
    if (body.bytes.size() + n > body.cap) {
        body.over_cap = true;
        return 0;
    }
    body.bytes.insert(body.bytes.end(), data, data + n);
    return n;
}

bool set_common_options(CURL* h) {
    const HttpTimeouts t = http_timeouts();
    const long low_speed = std::max<long>(1, static_cast<long>(t.low_speed.count()));
    bool ok = true;
    ok &= curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.connect.count())) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, low_speed) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, on_progress) == CURLE_OK;
    return ok;
}

bool has_http_scheme(std::string_view text) {
    auto starts = [text](std::string_view prefix) {
        if (text.size() < prefix.size()) {
            return false;
        }
        for (size_t i = 0; i < prefix.size(); ++i) {
            char c = text[i];
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
            if (c != prefix[i]) {
                return false;
            }
        }
        return true;
    };
    return starts("http://") || starts("https://");
}

}  // namespace http_internal

HttpTimeouts http_timeouts() {
    std::lock_guard lock(http_internal::g_timeouts_mutex);
    return http_internal::g_timeouts;
}

void set_http_timeouts_for_test(const HttpTimeouts& timeouts) {
    std::lock_guard lock(http_internal::g_timeouts_mutex);
    http_internal::g_timeouts = timeouts;
}

void reset_http_timeouts_for_test() {
    set_http_timeouts_for_test(HttpTimeouts{});
}
