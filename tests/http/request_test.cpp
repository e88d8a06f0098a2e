// File: tests/http/request_test.cpp
// Page requests against the loopback recording server: the raw request sent (request line,
// header lines in order, agent, version, Host, Cookie) and every result handed back, for
// redirects, cookies, error pages, cut and stalled transfers, big header blocks, chunked bodies
// and failed sends. Every URL names 127.0.0.1; nothing is resolved.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "http/request.h"
#include "support/recording_server.h"

namespace {

using namespace std::chrono_literals;

const std::string kDefaultHeaders =
    "Accept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n";

// A request with every optional field present and empty, as fetch_page hands it on.
PageRequest all_present(std::string url) {
    PageRequest r;
    r.url = std::move(url);
    r.method = 0;
    r.post_text = "";
    r.cookies = "";
    r.returned_cookies = "";
    r.extra_headers = "";
    r.location = "";
    r.no_redirect = false;
    r.post_bytes = Bytes{};
    r.proxy = "";
    r.raw_headers = "";
    return r;
}

Text spaces5000() {
    return Text(5000, ' ');
}

// A port on 127.0.0.1 that refuses connections: bound, never listening.
struct RefusedPort {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    uint16_t port = 0;
    RefusedPort() {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        port = ntohs(addr.sin_port);
    }
    ~RefusedPort() { ::close(fd); }
};

class PageRequestTest : public testing::Test {
protected:
    void TearDown() override { reset_http_timeouts_for_test(); }

    std::string host() const { return "127.0.0.1:" + std::to_string(server.port()); }
    std::string only_request() {
        EXPECT_TRUE(server.wait_for_requests(1));
        const auto all = server.requests();
        EXPECT_EQ(all.size(), 1u);
        return all.empty() ? std::string() : all.front();
    }

    RecordingServer server;
};

TEST_F(PageRequestTest, RequestSentByFetchPageWithTheUrlAlone) {
    Response page;
    page.body = "<html>ok</html>";
    server.route("/p.html", page);
    const std::string url = server.url("/p.html");
    EXPECT_EQ(fetch_page(url), "<html>ok</html>");
    EXPECT_EQ(only_request(),
              "GET /p.html HTTP/1.1\r\n"
              "Host: " +
                  host() +
                  "\r\n"
                  "User-Agent: " +
                  std::string(default_user_agent) +
                  "\r\n"
                  "Referer: " +
                  url + "\r\n" + kDefaultHeaders + "\r\n");
}

// The request target is the URL's path byte for byte, fragment and odd hosts included.
TEST_F(PageRequestTest, RequestTargetsOfTheUrlTable) {
    const std::string p = std::to_string(server.port());
    struct Case {
        std::string url;
        std::string request_line;
    };
    const Case cases[] = {
        {"http://127.0.0.1:" + p + "/a/b.html?x=1", "GET /a/b.html?x=1 HTTP/1.1"},
        {"HTTP://127.0.0.1:" + p, "GET / HTTP/1.1"},
        {"127.0.0.1:" + p + "/x", "GET /x HTTP/1.1"},
        {"http://127.0.0.1:" + p + "/p/q?r=1#f", "GET /p/q?r=1#f HTTP/1.1"},
        {"http://127.0.0.1:" + p + "/b/http://c.example.net/d", "GET /b/http://c.example.net/d HTTP/1.1"},
        // The host ends only at "/": its query is read as part of the port text, the path is "/".
        {"http://127.0.0.1:" + p + "?q=1", "GET / HTTP/1.1"},
        {"http://127.0.0.1:" + p + "/%7e/\xd6\xd0 x", "GET /%7e/\xd6\xd0 x HTTP/1.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        server.clear_requests();
        PageRequest r = all_present(c.url);
        (void)fetch_page(r);
        const std::string sent = only_request();
        EXPECT_EQ(sent.substr(0, sent.find("\r\n")), c.request_line);
        EXPECT_NE(sent.find("\r\nHost: 127.0.0.1:" + p + "\r\n"), std::string::npos);
        EXPECT_NE(sent.find("\r\nReferer: " + c.url + "\r\n"), std::string::npos);
        EXPECT_EQ(*r.raw_headers, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\n");
    }
}

TEST_F(PageRequestTest, ResultsOfAPlainExchange) {
    Response page;
    page.headers = {{"X-A", "1"}};
    page.body = "body";
    server.route("/p", page);
    PageRequest r = all_present(server.url("/p"));
    EXPECT_EQ(fetch_page(r), "body");
    const Text block = "HTTP/1.1 200 OK\r\nX-A: 1\r\nContent-Length: 4\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(*r.raw_headers, block);
    EXPECT_EQ(*r.location, block);  // no Location line: the whole block
    EXPECT_EQ(*r.extra_headers, "Referer: " + server.url("/p") +
                                    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
                                    "Content-Type: application/x-www-form-urlencoded");
    EXPECT_EQ(*r.cookies, "");
    EXPECT_EQ(*r.returned_cookies, "");
}

TEST_F(PageRequestTest, AbsentFieldsStayAbsentAndPresentOnesAreUpdated) {
    server.route("/p", Response{});
    PageRequest r;
    r.url = server.url("/p");
    r.raw_headers = "";
    (void)fetch_page(r);
    EXPECT_FALSE(r.cookies.has_value());
    EXPECT_FALSE(r.extra_headers.has_value());
    EXPECT_FALSE(r.location.has_value());
    EXPECT_FALSE(r.proxy.has_value());
    ASSERT_TRUE(r.raw_headers.has_value());
    EXPECT_EQ(r.raw_headers->substr(0, 15), "HTTP/1.1 200 OK");
}

TEST_F(PageRequestTest, AgentCookieAndExtraHeaders) {
    server.route("/p", Response{});
    struct Case {
        std::string headers;
        std::string cookies;
        std::string sent_after_host;  // header lines after Host, in order
    };
    const std::string referer = "Referer: " + server.url("/p") + "\r\n";
    const Case cases[] = {
        {"User-Agent: X", "", "User-Agent: X\r\n" + referer + kDefaultHeaders},
        {"user-agent: X\r\nAccept: a", "",
         "user-agent: X\r\nAccept: a\r\n" + referer +
             "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"},
        {"referer: x", "",
         "User-Agent: " + std::string(default_user_agent) + "\r\nreferer: x\r\n" + referer + kDefaultHeaders},
        {"", "a=1; b=2",
         "User-Agent: " + std::string(default_user_agent) + "\r\n" + referer + kDefaultHeaders +
             "Cookie: a=1; b=2\r\n"},
        {"X-Empty:", "",
         "User-Agent: " + std::string(default_user_agent) + "\r\nX-Empty:\r\n" + referer + kDefaultHeaders},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers + "|" + c.cookies);
        server.clear_requests();
        PageRequest r = all_present(server.url("/p"));
        r.extra_headers = c.headers;
        r.cookies = c.cookies;
        (void)fetch_page(r);
        const std::string sent = only_request();
        const size_t after_host = sent.find("\r\n", sent.find("\r\nHost: ") + 2) + 2;
        EXPECT_EQ(sent.substr(after_host), c.sent_after_host + "\r\n");
        EXPECT_EQ(sent.find("Cookie:") != std::string::npos, !c.cookies.empty());
    }
}

TEST_F(PageRequestTest, MethodsAndBodies) {
    server.route("/p", Response{});
    struct Case {
        int32_t method;
        std::string post_text;
        Bytes post_bytes;
        std::string verb;
        std::string body;
    };
    const Case cases[] = {
        {1, "a=1&b=2", {}, "POST", "a=1&b=2"},
        {1, "ignored", {'x', 'y'}, "POST", "xy"},
        {2, "q=1", {}, "GET", "q=1"},
        {0, "not sent", {}, "GET", ""},
        {1, "", {}, "POST", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        server.clear_requests();
        PageRequest r = all_present(server.url("/p"));
        r.method = c.method;
        r.post_text = c.post_text;
        r.post_bytes = c.post_bytes;
        (void)fetch_page(r);
        const std::string sent = only_request();
        EXPECT_EQ(sent.substr(0, sent.find(' ')), c.verb);
        EXPECT_EQ(sent.substr(sent.find("\r\n\r\n") + 4), c.body);
        EXPECT_EQ(sent.find("Expect:"), std::string::npos);
        if (c.method != 0) {
            EXPECT_EQ(*r.post_bytes, Bytes(c.body.begin(), c.body.end()));  // filled from post_text
            EXPECT_NE(sent.find("\r\nContent-Length: " + std::to_string(c.body.size()) + "\r\n"), std::string::npos);
        } else {
            EXPECT_TRUE(r.post_bytes->empty());
        }
    }
}

TEST_F(PageRequestTest, RedirectFollowedToTheFinalResponse) {
    server.route("/dir/start", Response::redirect(302, "next?a=1"));
    server.route("/dir/next", Response::redirect(301, server.url("/final")));
    Response final_page;
    final_page.body = "final";
    server.route("/final", final_page);
    PageRequest r = all_present(server.url("/dir/start"));
    EXPECT_EQ(fetch_page(r), "final");
    ASSERT_TRUE(server.wait_for_requests(3));
    const auto sent = server.requests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].substr(0, sent[1].find("\r\n")), "GET /dir/next?a=1 HTTP/1.1");
    EXPECT_EQ(sent[2].substr(0, sent[2].find("\r\n")), "GET /final HTTP/1.1");
    const Text block = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(*r.raw_headers, block);
    EXPECT_EQ(*r.location, block);
}

TEST_F(PageRequestTest, RedirectNotFollowed) {
    Response moved = Response::redirect(302, "http://b.example.com/");
    moved.body = "moved";
    server.route("/r", moved);
    PageRequest r = all_present(server.url("/r"));
    r.no_redirect = true;
    EXPECT_EQ(fetch_page(r), "moved");
    EXPECT_EQ(*r.location, "http://b.example.com/");
    EXPECT_EQ(
        *r.raw_headers,
        "HTTP/1.1 302 Redirect\r\nLocation: http://b.example.com/\r\nContent-Length: 5\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(only_request().substr(0, 18), "GET /r HTTP/1.1\r\nH");
}

TEST_F(PageRequestTest, RedirectToAFileIsNotFollowed) {
    Response moved = Response::redirect(302, "file:///etc/passwd");
    moved.body = "moved";
    server.route("/r", moved);
    PageRequest r = all_present(server.url("/r"));
    EXPECT_EQ(fetch_page(r), "moved");
    EXPECT_EQ(*r.location, "file:///etc/passwd");
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(PageRequestTest, AtMostTenRedirects) {
    server.route("/loop", Response::redirect(302, "/loop"));
    PageRequest r = all_present(server.url("/loop"));
    EXPECT_EQ(fetch_page(r), "");
    EXPECT_EQ(server.requests().size(), 11u);  // the request and ten redirects
    EXPECT_EQ(*r.raw_headers, spaces5000());
}

TEST_F(PageRequestTest, PostRedirectedBy303BecomesGet) {
    server.route("/form", Response::redirect(303, "/done"));
    server.route("/done", Response{});
    PageRequest r = all_present(server.url("/form"));
    r.method = 1;
    r.post_text = "a=1";
    (void)fetch_page(r);
    ASSERT_TRUE(server.wait_for_requests(2));
    const auto sent = server.requests();
    EXPECT_EQ(sent[0].substr(0, 5), "POST ");
    EXPECT_EQ(sent[1].substr(0, 14), "GET /done HTTP");
    EXPECT_EQ(sent[1].find("Content-Length"), std::string::npos);
}

TEST_F(PageRequestTest, SetCookieCases) {
    Response page;
    page.headers = {{"Set-Cookie", "a=1; path=/"},
                    {"Set-Cookie", "b=2"},
                    {"Set-Cookie", "tok=deleted; expires=x"},
                    {"Set-Cookie", "sid=9; HttpOnly"}};
    server.route("/c", page);
    PageRequest r = all_present(server.url("/c"));
    r.cookies = "tok=7; lang=cn; sid=1";
    (void)fetch_page(r);
    EXPECT_NE(only_request().find("\r\nCookie: tok=7; lang=cn; sid=1\r\n\r\n"), std::string::npos);
    EXPECT_EQ(*r.returned_cookies, "a=1;;tok=deleted;sid=9;");
    // b=2 had no attribute and left an empty item; in the middle of the list it stays.
    EXPECT_EQ(*r.cookies, "a=1; ; sid=9; lang=cn");
}

TEST_F(PageRequestTest, ErrorPageBodyIsReturned) {
    Response missing;
    missing.status = 404;
    missing.reason = "Not Found";
    missing.body = "<h1>gone</h1>";
    server.route("/gone", missing);
    PageRequest r = all_present(server.url("/gone"));
    EXPECT_EQ(fetch_page(r), "<h1>gone</h1>");
    EXPECT_EQ(r.raw_headers->substr(0, 24), "HTTP/1.1 404 Not Found\r\n");
}

TEST_F(PageRequestTest, BodyCutOffMidTransferKeepsTheBytesSoFar) {
    Response cut;
    cut.body = std::string(1000, 'x');
    cut.cut_after = 400;
    server.route("/cut", cut);
    PageRequest r = all_present(server.url("/cut"));
    EXPECT_EQ(fetch_page(r), std::string(400, 'x'));
    EXPECT_EQ(*r.raw_headers, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\n");
}

TEST_F(PageRequestTest, StalledServerTimesOut) {
    set_http_timeouts_for_test({.connect = 2000ms, .low_speed = 1s, .page_total = 3000ms, .image_total = 3000ms});
    Response slow;
    slow.body = std::string(1000, 'y');
    slow.stall_after = 100;
    server.route("/slow", slow);
    Response silent;
    silent.stall_before_headers = true;
    server.route("/silent", silent);

    const auto start = std::chrono::steady_clock::now();
    PageRequest r = all_present(server.url("/slow"));
    EXPECT_EQ(fetch_page(r), std::string(100, 'y'));  // the body so far, after the headers
    EXPECT_EQ(r.raw_headers->substr(0, 17), "HTTP/1.1 200 OK\r\n");

    PageRequest s = all_present(server.url("/silent"));
    EXPECT_EQ(fetch_page(s), "");
    EXPECT_EQ(*s.raw_headers, spaces5000());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
}

TEST_F(PageRequestTest, HeaderBlockOf5000BytesOrMoreIsNotRead) {
    // The block without the pad line is 97 bytes; the pad line is "X-Pad: " + n + CR LF.
    const auto route_with_block_size = [&](const std::string& path, size_t block_size) {
        Response big;
        big.headers = {{"Set-Cookie", "a=1; path=/"}, {"Location", "/there"}};
        big.body = "b";
        const size_t fixed = std::string(
                                 "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nLocation: /there\r\n"
                                 "X-Pad: \r\nContent-Length: 1\r\nConnection: close\r\n\r\n")
                                 .size();
        big.headers.emplace_back("X-Pad", std::string(block_size - fixed, 'p'));
        server.route(path, big);
    };
    route_with_block_size("/fits", 4999);
    route_with_block_size("/big", 5000);

    PageRequest fits = all_present(server.url("/fits"));
    EXPECT_EQ(fetch_page(fits), "b");
    EXPECT_EQ(fits.raw_headers->size(), 4999u);
    EXPECT_EQ(*fits.location, "/there");
    EXPECT_EQ(*fits.cookies, "a=1");

    PageRequest big = all_present(server.url("/big"));
    EXPECT_EQ(fetch_page(big), "b");
    EXPECT_EQ(*big.raw_headers, spaces5000());
    EXPECT_EQ(*big.location, spaces5000());
    EXPECT_EQ(*big.returned_cookies, "");
    EXPECT_EQ(*big.cookies, "");
}

TEST_F(PageRequestTest, ChunkedBodyAndUtf8DecodedToGbk) {
    std::string body;
    for (int i = 0; i < 500; ++i) {
        body += "\xe9\xb9\x8a\xe6\xa1\xa5 e\xcc\x81|";  // 鹊桥 é|
    }
    Response page;
    page.chunked = true;
    page.chunk_size = 333;  // cuts characters in two
    page.body = body;
    server.route("/zh", page);
    std::string want;
    for (int i = 0; i < 500; ++i) {
        want += "\xc8\xb5\xc7\xc5 \xa8\xa6|";
    }
    PageRequest r = all_present(server.url("/zh"));
    EXPECT_EQ(fetch_page(r), want);
    EXPECT_EQ(*r.raw_headers, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n");
}

TEST_F(PageRequestTest, BodyOverSixteenMebibytesComesBackEmpty) {
    Response huge;
    huge.headers = {{"Set-Cookie", "a=1; path=/"}};
    huge.body = std::string(16 * 1024 * 1024 + 1, 'z');
    server.route("/huge", huge);
    Response max;
    max.body = std::string(16 * 1024 * 1024, 'z');
    server.route("/max", max);

    PageRequest r = all_present(server.url("/huge"));
    EXPECT_TRUE(http_request(r).empty());
    EXPECT_EQ(r.raw_headers->substr(0, 17), "HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(*r.cookies, "a=1");

    PageRequest m = all_present(server.url("/max"));
    EXPECT_EQ(http_request(m).size(), 16u * 1024 * 1024);
}

TEST(PageRequestFailure, RefusedPortIsAFailedSend) {
    RefusedPort refused;
    PageRequest r = all_present("http://127.0.0.1:" + std::to_string(refused.port) + "/p");
    r.cookies = "q=a b; x=deleted";
    EXPECT_EQ(fetch_page(r), "");
    EXPECT_EQ(*r.raw_headers, spaces5000());
    EXPECT_EQ(*r.location, spaces5000());
    EXPECT_EQ(*r.returned_cookies, "");
    EXPECT_EQ(*r.cookies, "q=ab");  // still merged
    EXPECT_EQ(r.extra_headers->substr(0, 8), "Referer:");

    PageRequest kept = all_present("http://127.0.0.1:" + std::to_string(refused.port) + "/p");
    kept.location = "earlier";
    (void)fetch_page(kept);
    EXPECT_EQ(*kept.location, "earlier");
}

TEST(PageRequestFailure, EmptyHostFailsBeforeTheRequest) {
    for (const char* url : {"/wxq/1.html", "", "http:///x", "https://"}) {
        SCOPED_TRACE(url);
        PageRequest r = all_present(url);
        r.cookies = "q=a b";
        r.extra_headers = "X: 1";
        r.location = "";
        r.raw_headers = "old";
        r.method = 1;
        r.post_text = "p";
        EXPECT_EQ(fetch_page(r), "");
        EXPECT_EQ(*r.cookies, "q=a b");
        EXPECT_EQ(*r.extra_headers, "X: 1");
        EXPECT_EQ(*r.location, "");
        EXPECT_EQ(*r.raw_headers, "old");
        EXPECT_TRUE(r.post_bytes->empty());
    }
}

TEST(PageRequestFailure, TlsChosenByTheUrlsFirstFiveBytes) {
    // A plain server answering a TLS hello: the exchange fails, and no plain request arrives.
    RecordingServer server;
    server.route("/", Response{});
    PageRequest r = all_present("HTTPS://127.0.0.1:" + std::to_string(server.port()) + "/");
    EXPECT_EQ(fetch_page(r), "");
    EXPECT_EQ(*r.raw_headers, spaces5000());
    EXPECT_TRUE(server.requests().empty());
}

}  // namespace
