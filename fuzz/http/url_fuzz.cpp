// File: fuzz/http/url_fuzz.cpp
// Any text through url_host, url_port and url_path; checks what holds for every URL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "http/url.h"
#include "text/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A Text never holds a NUL.
    const std::string_view url(reinterpret_cast<const char*>(data), size);
    if (url.find('\0') != std::string_view::npos) {
        return 0;
    }
    const Text host = url_host(url);
    const Text host_port = url_host(url, false, true);
    const Text two = url_host(url, true);
    const Text two_port = url_host(url, true, true);
    (void)url_port(url);
    const Text path = url_path(url);
    // The host never holds "/" (it ends at one); the path always begins with one.
    if (text_find(host_port, "/") != -1 || path.empty() || path[0] != '/') {
        std::abort();
    }
    // The host without the port is a prefix of the host with it, and lower-cased.
    if (host_port.compare(0, host.size(), host) != 0 || text_to_lower(host) != host) {
        std::abort();
    }
    // The last two labels are cut before the port, so only the texts with the port compare.
    if (two_port.size() > host_port.size() || two.size() > two_port.size()) {
        std::abort();
    }
    // The path is the URL's own tail, letter case kept.
    if (path != "/" && (path.size() > url.size() || url.substr(url.size() - path.size()) != path)) {
        std::abort();
    }
    return 0;
}
