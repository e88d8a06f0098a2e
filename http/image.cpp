// File: http/image.cpp
// The QR image download: HTTP/1.0 GETs through one process-wide client (a libcurl share of name
// lookups and TLS sessions, locked per kind of data), one easy handle per call, safe from the UI
// thread and the worker at once.
#include "http/image.h"

#include <array>
#include <mutex>

#include "http/internal/curl_common.h"
#include "http/request.h"
#include "text/services.h"

namespace {

using http_internal::CappedBody;
using http_internal::Easy;
using http_internal::Slist;

constexpr size_t kImageCap = 8 * 1024 * 1024;
constexpr std::string_view kAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct Client {
    CURLSH* share = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
};

void lock_data(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<Client*>(user)->locks[data].lock();
}

void unlock_data(CURL*, curl_lock_data data, void* user) {
    static_cast<Client*>(user)->locks[data].unlock();
}

// The process's client, made on the first call and kept until the process ends.
Client& client() {
    static Client* c = [] {
        http_internal::curl_init_once();
        auto* made = new Client;
        made->share = curl_share_init();
        if (made->share != nullptr) {
            curl_share_setopt(made->share, CURLSHOPT_LOCKFUNC, lock_data);
            curl_share_setopt(made->share, CURLSHOPT_UNLOCKFUNC, unlock_data);
            curl_share_setopt(made->share, CURLSHOPT_USERDATA, made);
            curl_share_setopt(made->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
            curl_share_setopt(made->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        }
        return made;
    }();
    return *c;
}

struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};

// The URL cut before its first "#", when it is an explicit http or https address with a host.
std::optional<std::string> usable_url(std::string_view url) {
    url = url.substr(0, url.find('#'));
    if (!http_internal::has_http_scheme(url)) {
        return std::nullopt;
    }
    std::unique_ptr<CURLU, UrlDeleter> u(curl_url());
    const std::string text(url);
    char* host = nullptr;
    if (!u || curl_url_set(u.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK ||
        curl_url_get(u.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK) {
        return std::nullopt;
    }
    const bool has_host = host != nullptr && host[0] != '\0';
    curl_free(host);
    return has_host ? std::optional<std::string>(text) : std::nullopt;
}

}  // namespace

Bytes http_get_bytes(std::string_view url) {
    if (url.empty() || program_closing()) {
        return {};
    }
    http_internal::curl_init_once();
    const std::optional<std::string> target = usable_url(url);
    if (!target) {
        return {};
    }
    Client& c = client();
    Easy easy(curl_easy_init());
    if (!easy) {
        return {};
    }
    CURL* h = easy.get();
    CappedBody d(kImageCap);
    const Slist headers(curl_slist_append(nullptr, "Pragma: no-cache"));
    bool ok = http_internal::set_common_options(h);
    ok &= curl_easy_setopt(h, CURLOPT_URL, target->c_str()) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_SHARE, c.share) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_USERAGENT, kAgent.data()) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0)) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_PROXY, "") == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(http_timeouts().image_total.count())) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, http_internal::write_capped_body) == CURLE_OK;
    ok &= curl_easy_setopt(h, CURLOPT_WRITEDATA, &d) == CURLE_OK;
    if (!ok) {
        return {};
    }
    const CURLcode rc = curl_easy_perform(h);
    // A transfer cut short keeps what arrived; an image over the cap or a closing program keeps nothing.
    if (d.over_cap || rc == CURLE_ABORTED_BY_CALLBACK) {
        return {};
    }
    return std::move(d.bytes);
}
