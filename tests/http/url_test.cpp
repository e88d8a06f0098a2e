// File: tests/http/url_test.cpp
// Host, port and path of URL texts, including the odd ones the decomposition must keep as they are.
#include "http/url.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase {
    const char* url;
    const char* host;
    int32_t port;
    const char* path;
};

TEST(Url, HostPortAndPath) {
    const UrlCase cases[] = {
        {"http://a.example.com/a/b.html?x=1", "a.example.com", 80, "/a/b.html?x=1"},
        {"HTTPS://Example.COM:8443", "example.com", 8443, "/"},
        {"example.com/x", "example.com", 80, "/x"},
        {"http://a.example.org:8080/p/q?r=1#f", "a.example.org", 8080, "/p/q?r=1#f"},
        {"https://a.example.org/", "a.example.org", 443, "/"},
        // An explicit port wins, also when it is the other scheme's default.
        {"https://a.example.org:80/", "a.example.org", 80, "/"},
        {"http://a.example.org:443/", "a.example.org", 443, "/"},
        // Only "/" ends the host: a query right after it belongs to the host.
        {"http://a.example.org?q=1", "a.example.org?q=1", 80, "/"},
        {"http://a.example.org#f", "a.example.org#f", 80, "/"},
        {"http://a.example.org:abc/", "a.example.org", 0, "/"},
        {"http://a.example.org/b/http://c.example.net/d", "a.example.org", 80, "/b/http://c.example.net/d"},
        {"/wxq/1.html", "", 80, "/wxq/1.html"},
        {"", "", 80, "/"},
        // "http://" further on in a scheme-less text is taken as the start of the host.
        {"example.com/r?u=http://c.example.net/", "c.example.net", 80, "/"},
        // The https test of the port reads the URL's first five bytes, the host test "https://".
        {"httpsx://a.example.org/p", "httpsx", 0, "//a.example.org/p"},
        {"https-x/r?u=http://c.example.net/", "c.example.net", 443, "/"},
        {"HTTP://A.Example.Org/MiXed/Case", "a.example.org", 80, "/MiXed/Case"},
        {"http://a.example.org:8080", "a.example.org", 8080, "/"},
        {"http://user:pw@a.example.org/", "user", 0, "/"},
        {"http://a.example.org:99999999999/", "a.example.org", 1215752191, "/"},
        {"ftp://a.example.org/x", "ftp", 0, "//a.example.org/x"},
    };
    for (const UrlCase& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(url_host(c.url), c.host);
        EXPECT_EQ(url_port(c.url), c.port);
        EXPECT_EQ(url_path(c.url), c.path);
    }
}

TEST(Url, HostOptions) {
    EXPECT_EQ(url_host("http://a.example.org:8080/", true), "example.org");
    EXPECT_EQ(url_host("http://a.example.org:8080/", true, true), "example.org:8080");
    EXPECT_EQ(url_host("http://a.example.org:8080/", false, true), "a.example.org:8080");
    EXPECT_EQ(url_host("http://localhost/", true), "localhost");
    EXPECT_EQ(url_host("http://a.b.example.com/x", true), "example.com");
    EXPECT_EQ(url_host("HTTPS://Example.COM:8443", false, true), "example.com:8443");
}

TEST(Url, GbkHostKeepsItsBytes) {
    // 中文 in GBK is D6 D0 CE C4; lower-casing touches only A-Z, both bytes of a character stay.
    const Text url = "http://\xd6\xd0\xce\xc4.Example.com/\xd6\xd0?A=B";
    EXPECT_EQ(url_host(url), "\xd6\xd0\xce\xc4.example.com");
    EXPECT_EQ(url_path(url), "/\xd6\xd0?A=B");
}

}  // namespace
