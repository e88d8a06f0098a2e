// File: tests/http/headers_test.cpp
// The pure steps of the page request: the agent, the completed request headers, the walk of the
// response header block and header_value.
#include <gtest/gtest.h>

#include "http/request.h"

namespace {

TEST(Headers, HeaderValue) {
    EXPECT_EQ(header_value("Location: http://b.example.com/"), "http://b.example.com/");
    EXPECT_EQ(header_value("Location:x:y "), "x:y");
    EXPECT_EQ(header_value("no colon"), "");
    EXPECT_EQ(header_value(""), "");
    EXPECT_EQ(header_value("Name:   "), "");
}

TEST(Headers, Agent) {
    struct Case {
        const char* headers;
        std::string agent;
    };
    const Case cases[] = {
        {"", std::string(default_user_agent)},
        {"Accept: a", std::string(default_user_agent)},
        {"User-Agent: X", "X"},
        {"user-agent: X\r\nAccept: a", "X"},
        // The value stops at CR LF only, so a last line with an empty value falls back.
        {"Accept: a\r\nUser-Agent: X", "a\r\nUser-Agent: X"},
        {"User-Agent:\r\nAccept: a", "\r\nAccept: a"},
        {"X-User-Agent: Y\r\nB: c", "Y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        EXPECT_EQ(request_agent(c.headers), c.agent);
    }
}

TEST(Headers, DefaultLinesCompletedInOrder) {
    struct Case {
        const char* headers;
        const char* cookies;
        const char* completed;
    };
    const Case cases[] = {
        {"", "",
         "Referer: http://a.example.com/p.html\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
         "Content-Type: application/x-www-form-urlencoded"},
        {"", "a=1",
         "Referer: http://a.example.com/p.html\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\nCookie: a=1"},
        // Tests are case-sensitive: "referer: x" does not count as a Referer line.
        {"referer: x", "",
         "referer: x\r\nReferer: http://a.example.com/p.html\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
         "Content-Type: application/x-www-form-urlencoded"},
        {"Referer: r\r\nAccept: a\r\nAccept-Language: en\r\nContent-Type: t", "",
         "Referer: r\r\nAccept: a\r\nAccept-Language: en\r\nContent-Type: t"},
        // A Cookie line is added even when one is there.
        {"Cookie: b=2", "a=1",
         "Cookie: b=2\r\nReferer: http://a.example.com/p.html\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\nCookie: a=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        Text headers = c.headers;
        complete_request_headers(headers, "http://a.example.com/p.html", c.cookies);
        EXPECT_EQ(headers, c.completed);
    }
}

TEST(Headers, WalkOfTheResponseBlock) {
    struct Case {
        const char* name;
        const char* block;
        const char* location_before;
        const char* location;
        const char* cookies;
    };
    const Case cases[] = {
        {"cookie without attributes is lost", "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n",
         "", "", "a=1; ; "},
        {"last Location line wins, Content-Location counts",
         "HTTP/1.1 302 Found\r\nLocation: http://b.example.com/\r\nContent-Location: /x\r\n\r\n", "", "/x", ""},
        {"Content-Location alone", "HTTP/1.1 200 OK\r\nContent-Location: /x\r\n\r\n", "", "/x", ""},
        {"no Location keeps what came in", "HTTP/1.1 200 OK\r\n\r\n", "kept", "kept", ""},
        {"Set-Cookie without colon contributes nothing", "HTTP/1.1 200 OK\r\nX-Set-Cookie-Note a=1; b\r\n\r\n", "", "",
         "; "},
        {"case of Set-Cookie matters for the line test", "HTTP/1.1 200 OK\r\nset-cookie: a=1; p\r\n\r\n", "", "", ""},
        {"value taken ignoring case of the marker", "HTTP/1.1 200 OK\r\nSet-Cookie:  s = 1 ; path=/\r\n\r\n", "", "",
         "s = 1; "},
        {"empty block", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Text location = c.location_before;
        Text cookies = "stale";
        walk_response_headers(c.block, location, cookies);
        EXPECT_EQ(location, c.location);
        EXPECT_EQ(cookies, c.cookies);
    }
}

}  // namespace
