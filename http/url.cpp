// File: http/url.cpp
// URL decomposition over the text primitives, step for step as the page request relies on it.
#include "http/url.h"

#include "text/extract.h"
#include "text/search.h"

Text url_host(std::string_view url, bool last_two_labels, bool keep_port) {
    Text work = text_to_lower(url);
    if (work.empty() || work.back() != '/') {
        work += '/';
    }
    if (text_equal(text_left(work, 8), "https://")) {
        work = text_between_nocase(work, "https://", "/");
    } else {
        if (text_find(work, "http://") == -1) {
            work = text_concat("http://", work);
        }
        work = text_between_nocase(work, "http://", "/");
    }
    if (last_two_labels) {
        const TextArray labels = text_split(work, ".");
        const int32_t n = array_size(labels);
        if (n >= 2) {
            work = text_concat(text_array_get(labels, n - 1), ".", text_array_get(labels, n));
        }
    }
    if (keep_port) {
        return work;
    }
    const int32_t colon = text_find(work, ":");
    return colon == -1 ? work : text_left(work, colon - 1);
}

int32_t url_port(std::string_view url) {
    const Text host = url_host(url, false, true);
    const int32_t colon = text_find_last(host, ":");
    if (colon != -1) {
        return text_to_int(text_right(host, text_length(host) - colon));
    }
    return text_equal(text_left(text_to_lower(url), 5), "https") ? 443 : 80;
}

Text url_path(std::string_view url) {
    const Text host = url_host(url);
    const int32_t at = text_find(url, host, 1, true);
    const int32_t slash = text_find(url, "/", at, true);
    if (slash == -1) {
        return "/";
    }
    return text_right(url, text_length(url) - slash + 1);
}
