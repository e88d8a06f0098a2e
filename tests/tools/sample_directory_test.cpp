// File: tests/tools/sample_directory_test.cpp
// The sample directory: its fault options, its groups, its pages in the directory's contract, and
// the server's answers and faults seen from a plain socket on 127.0.0.1.
#include "tools/sample_directory.h"

#include <arpa/inet.h>
#include <iconv.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <set>

#include "support/loopback_client.h"
#include "tools/sample_server.h"

namespace {

bool representable_in_gbk(const std::string& utf8) {
    iconv_t cd = ::iconv_open("GBK", "UTF-8");
    std::string in = utf8;
    std::string out(in.size() * 2 + 4, '\0');
    char* src = in.data();
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    const bool ok = ::iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<size_t>(-1);
    ::iconv_close(cd);
    return ok;
}

std::string get(uint16_t port, const std::string& target, const std::string& host = "dir.test:80") {
    return raw_exchange(port, "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nAccept: */*\r\n\r\n");
}

size_t count_of(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

TEST(SampleDirectory, FaultOptions) {
    struct Case {
        const char* option;
        bool ok;
        FaultKind kind;
        int32_t page, item;
    };
    const Case cases[] = {
        {"404", true, FaultKind::NotFound, 2, 0},
        {"404@7", true, FaultKind::NotFound, 7, 0},
        {"stall@2.5", true, FaultKind::Stall, 2, 5},
        {"drop@10", true, FaultKind::Drop, 10, 0},
        {"no-qr", true, FaultKind::NoQr, 2, 3},
        {"no-title@4", true, FaultKind::NoTitle, 4, 3},
        {"pipe-title@1.1", true, FaultKind::PipeTitle, 1, 1},
        {"relative-link@3.2", true, FaultKind::RelativeLink, 3, 2},
        {"duplicate@9.20", true, FaultKind::Duplicate, 9, 20},
        {"crlf-title", true, FaultKind::CrLfTitle, 2, 3},
        {"404@11", false, {}, 0, 0},
        {"404@0", false, {}, 0, 0},
        {"404@x", false, {}, 0, 0},
        {"stall@2.", false, {}, 0, 0},
        {"stall@2.0", false, {}, 0, 0},
        {"slow", false, {}, 0, 0},
        {"", false, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        const auto fault = parse_fault(c.option);
        ASSERT_EQ(fault.has_value(), c.ok);
        if (fault) {
            EXPECT_EQ(fault->kind, c.kind);
            EXPECT_EQ(fault->page, c.page);
            EXPECT_EQ(fault->item, c.item);
            EXPECT_EQ(parse_fault(fault_name(fault->kind))->kind, c.kind);
        }
    }
}

TEST(SampleDirectory, GroupsAreFixedDistinctAndFitTheContract) {
    std::set<int32_t> ids;
    std::set<std::string> titles;
    for (int32_t page = 1; page <= kSamplePages; ++page) {
        for (int32_t item = 1; item <= kMaxPerPage; ++item) {
            const SampleGroup g = sample_group(page, item);
            ASSERT_EQ(g.title, sample_group(page, item).title);
            ASSERT_TRUE(ids.insert(g.id).second);
            titles.insert(g.title);
            ASSERT_TRUE(representable_in_gbk(g.title)) << g.title;
            ASSERT_EQ(g.title.find_first_of("\"|<>&\r\n"), std::string::npos) << g.title;
            SampleDirectoryOptions options;
            options.per_page = kMaxPerPage;
            ASSERT_EQ(sample_group_by_id(options, g.id)->item, item);
        }
    }
    EXPECT_GT(titles.size(), 300U);  // varied enough to tell groups apart on screen
    SampleDirectoryOptions options;
    EXPECT_FALSE(sample_group_by_id(options, sample_group(1, options.per_page + 1).id));
    EXPECT_FALSE(sample_group_by_id(options, 5));
}

TEST(SampleDirectory, ListingPageHoldsEachItemInTheContract) {
    SampleDirectoryOptions options;
    options.per_page = 4;
    const std::string html = listing_html(options, "h:1", 2);
    EXPECT_EQ(count_of(html, "<div class=\"dt bb1\"><a href=\""), 4U);
    const SampleGroup g = sample_group(2, 3);
    EXPECT_NE(html.find("<div class=\"dt bb1\"><a href=\"http://h:1/qun/" + std::to_string(g.id) + ".html\" title=\"" +
                        g.title + "\"><img"),
              std::string::npos);
    const std::string group = group_html(options, "h:1", g);
    EXPECT_NE(group.find("<div class=\"fLeft b1\"><p><a href=\"http://h:1/qr/" + std::to_string(g.id) + ".png\"><img"),
              std::string::npos);

    options.faults = {*parse_fault("duplicate@2.1"), *parse_fault("no-title@2.2"), *parse_fault("no-qr@2.3")};
    const std::string faulty = listing_html(options, "h:1", 2);
    EXPECT_EQ(count_of(faulty, "<div class=\"dt bb1\"><a href=\""), 5U);
    EXPECT_EQ(count_of(faulty, "\" title=\""), 4U);
    EXPECT_EQ(group_html(options, "h:1", g).find("<div class=\"fLeft b1\">"), std::string::npos);
}

TEST(SampleDirectory, RequestHeads) {
    struct Case {
        const char* head;
        bool ok;
        const char* target;
        const char* host;
    };
    const Case cases[] = {
        {"GET /a HTTP/1.1\r\nHost: h:1\r\n\r\n", true, "/a", "h:1"},
        {"GET /a?b HTTP/1.0\r\nAccept: */*\r\nhOsT:\t h \r\n\r\n", true, "/a?b", "h"},
        {"GET /a HTTP/1.0\r\n\r\n", true, "/a", ""},
        {"GET /a HTTP/1.0", true, "/a", ""},
        {"GET /a\r\n\r\n", false, "", ""},
        {"GET  HTTP/1.0\r\n", false, "", ""},
        {" /a HTTP/1.0\r\n", false, "", ""},
        {"GET /a b HTTP/1.0\r\n", false, "", ""},
        {"", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        const auto head = parse_request_head(c.head);
        ASSERT_EQ(head.has_value(), c.ok);
        if (head) {
            EXPECT_EQ(head->target, c.target);
            EXPECT_EQ(head->host, c.host);
        }
    }
}

class SampleServer : public ::testing::Test {
protected:
    void serve(SampleDirectoryOptions options) {
        server = std::make_unique<SampleDirectoryServer>(std::move(options));
        ASSERT_TRUE(server->start("127.0.0.1", 0));
        ASSERT_NE(server->port(), 0);
    }
    std::unique_ptr<SampleDirectoryServer> server;
};

TEST_F(SampleServer, AnswersPagesAndPicturesAndLogsRequests) {
    SampleDirectoryOptions options;
    options.per_page = 3;
    serve(options);
    std::vector<std::string> hooked;
    server->set_request_hook([&hooked](const std::string& target) { hooked.push_back(target); });

    const std::string listing = get(server->port(), "/wxq-9-10-or-3-vi-1.html");
    ASSERT_TRUE(listing.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_NE(listing.find("Content-Type: text/html; charset=utf-8\r\n"), std::string::npos);
    EXPECT_TRUE(listing.ends_with(listing_html(options, "dir.test:80", 10)));  // links use the Host asked for

    const int32_t id = sample_group(10, 3).id;
    const std::string group = get(server->port(), "/qun/" + std::to_string(id) + ".html?from=list");
    EXPECT_TRUE(group.ends_with(group_html(options, "dir.test:80", sample_group(10, 3))));

    const std::string png = get(server->port(), "/qr/" + std::to_string(id) + ".png");
    EXPECT_NE(png.find("Content-Type: image/png\r\n"), std::string::npos);
    EXPECT_NE(png.find("\r\n\r\n\x89PNG"), std::string::npos);

    for (const std::string& target :
         std::vector<std::string>{"/wxq-9-11-or-3-vi-1.html", "/wxq-9-01-or-3-vi-1.html", "/qun/5.html",
                                  "/qun/" + std::to_string(sample_group(1, 4).id) + ".html", "/nothing"}) {
        SCOPED_TRACE(target);
        EXPECT_TRUE(get(server->port(), target).starts_with("HTTP/1.1 404 Not Found\r\n"));
    }
    EXPECT_EQ(server->requests().size(), 8U);
    EXPECT_EQ(server->requests().front(), "/wxq-9-10-or-3-vi-1.html");
    EXPECT_EQ(hooked, server->requests());
    EXPECT_TRUE(raw_exchange(server->port(), "garbage\r\n\r\n").empty());
}

TEST_F(SampleServer, FaultsOnTheWire) {
    SampleDirectoryOptions options;
    options.per_page = 3;
    options.stall_ms = 200;
    options.faults = {*parse_fault("404@2"), *parse_fault("drop@3"), *parse_fault("stall@4"), *parse_fault("drop@5.1")};
    serve(options);
    EXPECT_TRUE(get(server->port(), listing_path(2)).starts_with("HTTP/1.1 404 Not Found\r\n"));
    EXPECT_EQ(get(server->port(), listing_path(3)), "");
    EXPECT_EQ(get(server->port(), "/qun/" + std::to_string(sample_group(5, 1).id) + ".html"), "");
    EXPECT_TRUE(
        get(server->port(), "/qun/" + std::to_string(sample_group(5, 2).id) + ".html").starts_with("HTTP/1.1 200"));
    const std::string stalled = get(server->port(), listing_path(4));  // whole once the stall is over
    EXPECT_TRUE(stalled.ends_with(listing_html(options, "dir.test:80", 4)));
}

TEST_F(SampleServer, StopEndsAStallAtOnce) {
    SampleDirectoryOptions options;
    options.stall_ms = 600000;
    options.faults = {*parse_fault("stall@1")};
    serve(options);
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(server->port());
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string request = "GET " + listing_path(1) + " HTTP/1.1\r\nHost: h\r\n\r\n";
    ASSERT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    // The head and the first half of the body arrive, then the answer stops.
    std::string received;
    char buffer[4096];
    while (received.find("<div class=\"list\">") == std::string::npos) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        ASSERT_GT(n, 0);
        received.append(buffer, static_cast<size_t>(n));
    }
    server->stop();  // must not wait the stall out
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        received.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    EXPECT_TRUE(received.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_FALSE(received.ends_with("</html>\n"));
}

}  // namespace
