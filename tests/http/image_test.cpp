// File: tests/http/image_test.cpp
// The image download against the loopback recording server: the HTTP/1.0 request it sends, the
// URLs it refuses without traffic, cut and oversized bodies, two threads at once, and the abort
// when the program is closing.
#include "http/image.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "http/request.h"
#include "support/recording_server.h"
#include "text/services.h"

namespace {

using namespace std::chrono_literals;

Bytes bytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

class ImageTest : public testing::Test {
protected:
    void TearDown() override {
        set_program_closing(false);
        reset_http_timeouts_for_test();
    }
    RecordingServer server;
};

TEST_F(ImageTest, RequestSent) {
    Response png;
    png.headers = {{"Content-Type", "image/png"}};
    png.body = std::string("\x89PNG\r\n\x1a\n\0\0", 10);
    server.route("/qr.png", png);
    const std::string p = std::to_string(server.port());
    for (const std::string& url : {server.url("/qr.png#frag"), "HTTP://127.0.0.1:" + p + "/qr.png"}) {
        SCOPED_TRACE(url);
        server.clear_requests();
        EXPECT_EQ(http_get_bytes(url), bytes(png.body));
        ASSERT_TRUE(server.wait_for_requests(1));
        EXPECT_EQ(server.requests().at(0),
                  "GET /qr.png HTTP/1.0\r\n"
                  "Host: 127.0.0.1:" +
                      p +
                      "\r\n"
                      "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"
                      "Accept: */*\r\n"
                      "Pragma: no-cache\r\n\r\n");
    }
}

TEST_F(ImageTest, UrlsWithoutSchemeOrHostSendNothing) {
    server.route("/qr.png", Response{});
    const std::string p = std::to_string(server.port());
    const std::vector<std::string> urls = {"",
                                           "127.0.0.1:" + p + "/qr.png",
                                           "/qr.png",
                                           "ftp://127.0.0.1:" + p + "/",
                                           "http://",
                                           "http:///qr.png",
                                           "#http://127.0.0.1:" + p + "/qr.png",
                                           "file:///etc/passwd"};
    for (const std::string& url : urls) {
        SCOPED_TRACE(url);
        EXPECT_TRUE(http_get_bytes(url).empty());
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(ImageTest, AnyStatusCutBodiesAndTheCap) {
    Response missing;
    missing.status = 404;
    missing.reason = "Not Found";
    missing.body = "no such image";
    server.route("/missing", missing);
    Response cut;
    cut.body = std::string(5000, 'c');
    cut.cut_after = 1234;
    server.route("/cut", cut);
    Response huge;
    huge.body = std::string(8 * 1024 * 1024 + 1, 'h');
    server.route("/huge", huge);
    server.route("/moved", Response::redirect(302, "/missing"));
    server.route("/to-file", Response::redirect(302, "file:///etc/passwd"));

    EXPECT_EQ(http_get_bytes(server.url("/missing")), bytes("no such image"));
    EXPECT_EQ(http_get_bytes(server.url("/cut")), bytes(std::string(1234, 'c')));
    EXPECT_TRUE(http_get_bytes(server.url("/huge")).empty());
    EXPECT_EQ(http_get_bytes(server.url("/moved")), bytes("no such image"));
    EXPECT_TRUE(http_get_bytes(server.url("/to-file")).empty());
}

TEST_F(ImageTest, TwoThreadsAtOnce) {
    for (int i = 0; i < 8; ++i) {
        Response r;
        r.body = std::string(20000 + i, static_cast<char>('a' + i));
        server.route("/img" + std::to_string(i), r);
    }
    auto fetch_all = [this] {
        int good = 0;
        for (int round = 0; round < 10; ++round) {
            for (int i = 0; i < 8; ++i) {
                const Bytes got = http_get_bytes(server.url("/img" + std::to_string(i)));
                good += got == Bytes(20000 + i, static_cast<uint8_t>('a' + i));
            }
        }
        return good;
    };
    auto other = std::async(std::launch::async, fetch_all);
    EXPECT_EQ(fetch_all(), 80);
    EXPECT_EQ(other.get(), 80);
}

TEST_F(ImageTest, ClosingAbortsARunningDownload) {
    Response slow;
    slow.body = std::string(1000, 's');
    slow.stall_after = 10;
    server.route("/slow", slow);
    auto download = std::async(std::launch::async, [this] { return http_get_bytes(server.url("/slow")); });
    ASSERT_TRUE(server.wait_for_requests(1));
    const auto start = std::chrono::steady_clock::now();
    set_program_closing(true);
    ASSERT_EQ(download.wait_for(10s), std::future_status::ready);
    EXPECT_TRUE(download.get().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(http_get_bytes(server.url("/slow")).empty());  // closing: nothing is sent
    EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(ImageTest, StalledServerTimesOut) {
    set_http_timeouts_for_test({.connect = 2000ms, .low_speed = 1s, .page_total = 3000ms, .image_total = 3000ms});
    Response slow;
    slow.body = std::string(1000, 's');
    slow.stall_after = 10;
    server.route("/slow", slow);
    EXPECT_EQ(http_get_bytes(server.url("/slow")), bytes(std::string(10, 's')));  // the bytes up to the break
}

}  // namespace
