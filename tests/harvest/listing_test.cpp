// File: tests/harvest/listing_test.cpp
// The directory contract as the harvester reads it: addresses, markers, cutting, status text.
#include "harvest/listing.h"

#include <gtest/gtest.h>

#include "harvest/harvest.h"
#include "harvest/harvest_support.h"
#include "text/search.h"

TEST(HarvestListing, AddressOfEachPage) {
    EXPECT_EQ(listing_address("127.0.0.1:8086", 1), "http://127.0.0.1:8086/wxq-9-1-or-3-vi-1.html");
    EXPECT_EQ(listing_address("h", 10), "http://h/wxq-9-10-or-3-vi-1.html");
}

TEST(HarvestListing, MarkersByteForByte) {
    EXPECT_EQ(kItemLeft, "<div class=\"dt bb1\"><a href=\"");
    EXPECT_EQ(kItemRight, "\"><img");
    EXPECT_EQ(kTitleMarker, "title=\"");
    EXPECT_EQ(kLinkEnd, "\" title");
    EXPECT_EQ(kQrLeft, "<div class=\"fLeft b1\"><p><a href=\"");
    EXPECT_EQ(kQrRight, "\"><img");
}

TEST(HarvestListing, ItemTitleAndLink) {
    const TextArray items = listing_items(
        "x<div class=\"dt bb1\"><a href=\"L\" title=\"T\"><img src=\"q.png\">y"
        "<div class=\"dt bb1\"><a href=\"M\"><img src=\"r.png\">"
        "<div class=\"dt bb1\"><a href=\"   \"><img>"  // blank: dropped
        "<div class=\"dt bb1\"><a href=\"N\" title=\"unclosed");
    ASSERT_EQ(array_size(items), 2);
    EXPECT_EQ(text_array_get(items, 1), "L\" title=\"T");
    EXPECT_EQ(text_array_get(items, 2), "M");

    struct Case {
        const char* item;
        const char* title;
        const char* link;
    };
    const Case cases[] = {
        {"L\" title=\"T", "T", "L"},
        {"M", "", ""},                                    // no title attribute: both empty
        {"L\" title=\"a title=\"b", "b", "L"},            // the title after the last marker
        {"L\" title=\"T\" title=\"U", "U", "L"},          // the link before the first end marker
        {"/qun/1.html\" title=\"T", "T", "/qun/1.html"},  // relative links stay as written
        {"L\" title=\"A|B", "A|B", "L"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        EXPECT_EQ(item_title(c.item), c.title);
        EXPECT_EQ(item_link(c.item), c.link);
    }
}

TEST(HarvestListing, QrAddressOfGroupPage) {
    EXPECT_EQ(group_qr_address("<div class=\"fLeft b1\"><p><a href=\"http://h/q.png\"><img src=\"x\">"),
              "http://h/q.png");
    EXPECT_EQ(group_qr_address("<div class=\"fLeft b2\"><p><a href=\"http://h/q.png\"><img src=\"x\">"), "");
    EXPECT_EQ(group_qr_address("<div class=\"fLeft b1\"><p><a href=\"http://h/q.png\">"), "");
    EXPECT_EQ(group_qr_address(""), "");
}

TEST(HarvestListing, StatusTextIsGbk) {
    EXPECT_EQ(harvest_status_text(3, 12), to_gbk("当前正才获取第3页，第12条数据，请耐心等待！"));
    EXPECT_EQ(harvest_status_text(10, 1),
              "\xb5\xb1\xc7\xb0\xd5\xfd\xb2\xc5\xbb\xf1\xc8\xa1\xb5\xda"
              "10"
              "\xd2\xb3\xa3\xac\xb5\xda"
              "1"
              "\xcc\xf5\xca\xfd\xbe\xdd\xa3\xac\xc7\xeb\xc4\xcd\xd0\xc4\xb5\xc8\xb4\xfd\xa3\xa1");
}

TEST(HarvestListing, DirectoryHostFromEnvironment) {
    EXPECT_EQ(kDirectoryHost, "127.0.0.1:8086");
    struct Case {
        const char* env;  // nullptr: unset
        const char* host;
    };
    const Case cases[] = {{nullptr, "127.0.0.1:8086"},
                          {"", "127.0.0.1:8086"},
                          {"127.0.0.1:9", "127.0.0.1:9"},
                          {"dir.example", "dir.example"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.env ? c.env : "(unset)");
        if (c.env) {
            setenv("QUEQIAO_DIRECTORY", c.env, 1);
        } else {
            unsetenv("QUEQIAO_DIRECTORY");
        }
        EXPECT_EQ(directory_host(), c.host);
    }
    unsetenv("QUEQIAO_DIRECTORY");
}
