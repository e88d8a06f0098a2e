// File: http/request.cpp
// The page request on libcurl: one easy handle per exchange, a fresh connection, the request
// target taken byte for byte from url_path, redirects followed here (at most 10, http and https
// only), the raw header block of the final response collected by the header callback.
#include "http/request.h"

#include <chrono>

#include "http/cookies.h"
#include "http/decode.h"
#include "http/internal/curl_common.h"
#include "http/url.h"
#include "text/extract.h"
#include "text/search.h"

namespace {

using http_internal::Easy;
using http_internal::Slist;

constexpr size_t kBodyCap = 16 * 1024 * 1024;
constexpr int kMaxRedirects = 10;
constexpr int32_t kHeaderBuffer = 5000;  // a block must fit with its terminating NUL

// What one perform collects.
struct Response {
    http_internal::CappedBody body{kBodyCap};
    Text block;  // the header block of the latest response, lines ended CR LF
    bool block_complete = false;
};

size_t on_header(char* data, size_t size, size_t count, void* user) {
    auto& r = *static_cast<Response*>(user);
    const size_t n = size * count;
    std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
        r.block.clear();
        r.block_complete = false;
    } else if (r.block_complete) {
        return n;  // trailers of a chunked body belong to no block
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    r.block.append(line).append("\r\n");
    r.block_complete = line.empty();
    return n;
}

bool is_redirect_status(long status) {
    return status == 300 || status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The curl header list for the completed header text: one entry per line, an empty value kept
// (curl drops "Name:" but sends "Name;" as "Name:"), curl's own Accept and Expect lines left out.
Slist header_list(std::string_view headers) {
    curl_slist* list = nullptr;
    for (Text line : text_split(headers, "\r\n")) {
        if (line.empty()) {
            continue;
        }
        if (line.back() == ':') {
            line.back() = ';';
        }
        list = curl_slist_append(list, line.c_str());
    }
    list = curl_slist_append(list, "Accept:");
    list = curl_slist_append(list, "Expect:");
    return Slist(list);
}

// The connection target of the first request: scheme by the URL's first five bytes, url_host,
// url_port (0: the scheme's default) and, for resolving relative redirects, url_path.
struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
using Url = std::unique_ptr<CURLU, UrlDeleter>;

Url first_target(const Text& host, int32_t port, const Text& path, bool tls) {
    Url u(curl_url());
    if (!u || curl_url_set(u.get(), CURLUPART_SCHEME, tls ? "https" : "http", 0) != CURLUE_OK ||
        curl_url_set(u.get(), CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK) {
        return nullptr;
    }
    if (port != 0 && curl_url_set(u.get(), CURLUPART_PORT, int_to_text(port).c_str(), 0) != CURLUE_OK) {
        return nullptr;
    }
    // The path only tells curl where a relative Location points from; the request line uses url_path.
    const size_t end = path.find_first_of("?#");
    const Text plain = path.substr(0, end);
    if (curl_url_set(u.get(), CURLUPART_PATH, plain.c_str(), 0) != CURLUE_OK) {
        curl_url_set(u.get(), CURLUPART_PATH, "/", 0);
    }
    if (end != Text::npos && path[end] == '?') {
        const Text query = path.substr(end + 1, path.find('#', end) - end - 1);
        curl_url_set(u.get(), CURLUPART_QUERY, query.c_str(), 0);
    }
    return u;
}

struct Exchange {
    Bytes body;
    Text raw_headers;  // 5000 spaces unless a complete block under 5000 bytes arrived
};

// Runs the request and the redirects it follows; every failure of the transfer is a failed send.
Exchange perform(CURL* h, std::string_view url, bool no_redirect, const std::optional<Text>& proxy, bool has_body) {
    Exchange failed{Bytes{}, text_of_spaces(kHeaderBuffer)};
    const Text path = url_path(url);
    const bool tls = text_equal(text_to_lower(text_left(url, 5)), "https");
    Url target = first_target(url_host(url), url_port(url), path, tls);
    if (!target || path.find_first_of("\r\n") != Text::npos ||
        curl_easy_setopt(h, CURLOPT_CURLU, target.get()) != CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_REQUEST_TARGET, path.c_str()) != CURLE_OK) {
        return failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + http_timeouts().page_total;
    bool secure = tls;
    Text next_url;
    for (int redirects = 0;; ++redirects) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return failed;
        }
        // A proxy address applies to http only; present and empty, or absent, the request goes direct.
        const Text proxy_text = proxy && !secure ? *proxy : Text();
        curl_easy_setopt(h, CURLOPT_PROXY, proxy_text.c_str());
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
        Response r;
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &r.body);
        curl_easy_setopt(h, CURLOPT_HEADERDATA, &r);
        const CURLcode rc = curl_easy_perform(h);
        const bool block_fits = r.block_complete && text_length(r.block) < kHeaderBuffer;
        Exchange out{r.body.over_cap ? Bytes{} : std::move(r.body.bytes), block_fits ? r.block : failed.raw_headers};
        if (rc != CURLE_OK) {
            // Cut off or timed out after the header block: what arrived is the result.
            return r.block_complete ? std::move(out) : failed;
        }
        long status = 0;
        char* location = nullptr;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
        if (no_redirect || !is_redirect_status(status) || location == nullptr ||
            !http_internal::has_http_scheme(location)) {
            return out;  // a redirect elsewhere than http or https is not followed
        }
        if (redirects == kMaxRedirects) {
            return failed;
        }
        next_url = location;
        secure = text_equal(text_to_lower(text_left(next_url, 5)), "https");
        // A body goes on only through 307 and 308; the other redirects are fetched with GET.
        if (has_body && status != 307 && status != 308) {
            curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
            curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, nullptr);
            has_body = false;
        }
        curl_easy_setopt(h, CURLOPT_REQUEST_TARGET, nullptr);
        curl_easy_setopt(h, CURLOPT_CURLU, nullptr);
        if (curl_easy_setopt(h, CURLOPT_URL, next_url.c_str()) != CURLE_OK) {
            return failed;
        }
    }
}

}  // namespace

Text header_value(std::string_view line) {
    const int32_t colon = text_find(line, ":");
    return colon == -1 ? Text() : text_trim(text_right(line, text_length(line) - colon));
}

Text request_agent(std::string_view extra_headers) {
    if (text_find(extra_headers, "User-Agent:", 1, true) == -1) {
        return Text(default_user_agent);
    }
    Text agent = text_trim(text_between_nocase(extra_headers, "User-Agent:", "\r\n"));
    return agent.empty() ? header_value(extra_headers) : agent;
}

void complete_request_headers(Text& extra_headers, std::string_view url, std::string_view cookies) {
    if (text_find(extra_headers, "Referer:") == -1) {
        extra_headers = text_concat(extra_headers, extra_headers.empty() ? "Referer: " : "\r\nReferer: ", url);
    }
    if (text_find(extra_headers, "Accept:") == -1) {
        extra_headers = text_concat(extra_headers, "\r\nAccept: */*");
    }
    if (text_find(extra_headers, "Accept-Language:") == -1) {
        extra_headers = text_concat(extra_headers, "\r\nAccept-Language: zh-cn");
    }
    if (text_find(extra_headers, "Content-Type:") == -1) {
        extra_headers = text_concat(extra_headers, "\r\nContent-Type: application/x-www-form-urlencoded");
    }
    if (!cookies.empty()) {
        extra_headers = text_concat(extra_headers, "\r\nCookie: ", cookies);
    }
}

void walk_response_headers(std::string_view raw_headers, Text& location, Text& returned_cookies) {
    returned_cookies.clear();
    for (const Text& line : text_split(raw_headers, "\r\n")) {
        if (text_find(line, "Location:") != -1) {
            location = header_value(line);
        }
        if (text_find(line, "Set-Cookie") != -1) {
            returned_cookies.append(text_trim(text_between_nocase(line, "Set-Cookie:", ";"))).append("; ");
        }
    }
}

Bytes http_request(PageRequest& request) {
    const std::string_view url = request.url;
    const int32_t method = request.method.value_or(0);
    Text extra_headers = request.extra_headers.value_or(Text());
    Text agent = request_agent(extra_headers);
    // An empty host can never be connected to: the exchange ends before the request.
    if (url_host(url).empty()) {
        return {};
    }
    http_internal::curl_init_once();
    Easy easy(curl_easy_init());
    if (!easy) {
        return {};
    }
    CURL* h = easy.get();
    Text cookies = request.cookies.value_or(Text());
    complete_request_headers(extra_headers, url, cookies);
    Bytes post_bytes = request.post_bytes.value_or(Bytes());
    if (method != 0 && post_bytes.empty()) {
        post_bytes = text_to_bytes(request.post_text.value_or(Text()));
    }
    // An agent taken from a header line that wraps stops at the wrap; the line itself is sent as it is.
    agent = agent.substr(0, agent.find_first_of("\r\n"));
    const Slist headers = header_list(extra_headers);
    bool ok = http_internal::set_common_options(h);
    ok &= curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str()) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_FRESH_CONNECT, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, http_internal::write_capped_body) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, on_header) == CURLE_OK;
    if (method != 0) {
        ok &= curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(post_bytes.size())) == CURLE_OK;
        ok &= curl_easy_setopt(h, CURLOPT_POSTFIELDS,
                               post_bytes.empty() ? static_cast<const void*>("") : post_bytes.data()) == CURLE_OK;
        if (method != 1) {
            ok &= curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, "GET") == CURLE_OK;
        }
    }
    Exchange x = ok ? perform(h, url, request.no_redirect.value_or(false), request.proxy, method != 0)
                    : Exchange{Bytes{}, text_of_spaces(kHeaderBuffer)};

    Text location = request.location.value_or(Text());
    Text returned_cookies;
    walk_response_headers(x.raw_headers, location, returned_cookies);
    if (location.empty()) {
        location = x.raw_headers;
    }
    merge_cookies(cookies, returned_cookies);

    auto put = [](auto& field, auto&& value) {
        if (field) {
            *field = std::move(value);
        }
    };
    put(request.cookies, cookies);
    put(request.returned_cookies, returned_cookies);
    put(request.extra_headers, extra_headers);
    put(request.location, location);
    put(request.post_bytes, post_bytes);
    put(request.raw_headers, x.raw_headers);
    return std::move(x.body);
}

Text fetch_page(PageRequest& request) {
    PageRequest all{request.url,
                    request.method.value_or(0),
                    request.post_text.value_or(Text()),
                    request.cookies.value_or(Text()),
                    request.returned_cookies.value_or(Text()),
                    request.extra_headers.value_or(Text()),
                    request.location.value_or(Text()),
                    request.no_redirect.value_or(false),
                    request.post_bytes.value_or(Bytes()),
                    request.proxy.value_or(Text()),
                    request.raw_headers.value_or(Text())};
    const Bytes body = http_request(all);
    auto back = [](auto& field, auto& value) {
        if (field) {
            field = std::move(value);
        }
    };
    back(request.cookies, all.cookies);
    back(request.returned_cookies, all.returned_cookies);
    back(request.extra_headers, all.extra_headers);
    back(request.location, all.location);
    back(request.post_bytes, all.post_bytes);
    back(request.raw_headers, all.raw_headers);
    return utf8_to_gbk(body);
}

Text fetch_page(std::string_view url) {
    PageRequest request{Text(url)};
    return fetch_page(request);
}
