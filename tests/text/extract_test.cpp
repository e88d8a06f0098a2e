// File: tests/text/extract_test.cpp
// The extraction routines: the start rules of text_before and text_after_last, the quote token of
// text_between, and the order of all_between's steps.
#include "text/extract.h"

#include <gtest/gtest.h>

#include "text/plain_walk.h"
#include "text/search.h"
#include "text/services.h"

namespace {

// "#引号" in GBK.
constexpr std::string_view kQuoteToken = "#\xd2\xfd\xba\xc5";
constexpr std::string_view kBarTrail = "\x81\x7c";

}  // namespace

TEST(Extract, QuoteTokenBytes) {
    EXPECT_EQ(kQuoteToken, "#\xd2\xfd\xba\xc5");
}

TEST(Extract, TextBefore) {
    struct Case {
        std::string text, delimiter;
        int32_t start;
        bool ignore_case;
        std::string want;
    };
    const Case cases[] = {
        {"a|b|c", "|", 1, false, "a"},
        {"a|b|c", "|", 3, false, "a|b"},  // the result starts at byte 1, not at start
        {"a|b|c", "|", 5, false, ""},
        {"a|b|c", "|", 0, false, "a"},
        {"a|b|c", "|", -4, false, "a"},
        {"abc", "|", 1, false, ""},  // not found: empty, not the whole text
        {"|x", "|", 1, false, ""},
        {"aXb", "x", 1, true, "a"},
        {"aXb", "x", 1, false, ""},
        {std::string("t") + std::string(kBarTrail) + "|u", "|", 1, false, std::string("t") + std::string(kBarTrail)},
        {"name\" title=\"x", "\" title", 1, false, "name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "' start " << c.start);
        EXPECT_EQ(text_before(c.text, c.delimiter, c.start, c.ignore_case), c.want);
    }
}

TEST(Extract, TextAfterLast) {
    struct Case {
        std::string text, delimiter;
        std::optional<int32_t> start;
        std::string want;
    };
    const Case cases[] = {
        {"title|url", "|", std::nullopt, "url"},
        {"=x", "=", std::nullopt, "x"},
        {"abc", "=", std::nullopt, ""},
        {"a=b=", "=", std::nullopt, "b="},  // the "=" on the last byte is not seen
        {"a=b=", "=", 0, ""},
        {"a=b=", "=", 1, ""},
        {"a=b=", "=", 100, ""},  // the last "=" is found and nothing follows it
        {"x|", "|", std::nullopt, ""},
        {"a|b|", "|", std::nullopt, "b|"},
        {"ab\" title=\"name", "title=\"", std::nullopt, "name"},
        {std::string("a|b") + std::string(kBarTrail), "|", std::nullopt, std::string("b") + std::string(kBarTrail)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
        EXPECT_EQ(text_after_last(c.text, c.delimiter, c.start), c.want);
    }
    EXPECT_EQ(text_after_last("aXbxc", "X", std::nullopt, true), "c");
}

TEST(Extract, TextBetween) {
    EXPECT_EQ(text_between("<p>x</p><p>y</p>", "<p>", "</p>"), "x");
    EXPECT_EQ(text_between("<p>x</p><p>y</p>", "<p>", "</p>", 2), "y");
    EXPECT_EQ(text_between("<p></p>", "<p>", "</p>"), "");
    EXPECT_EQ(text_between("<p>x", "<p>", "</p>"), "");
    EXPECT_EQ(text_between("<p>x<p>y</p>", "<p>", "</p>"), "x<p>y");
    // Only the first left marker counts: no right marker after it, nothing.
    EXPECT_EQ(text_between("</p><p>x", "<p>", "</p>"), "");
    const std::string href = "<a href=\"/g/1.html\" title=\"t\">";
    EXPECT_EQ(text_between(href, std::string("href=") + std::string(kQuoteToken), kQuoteToken), "/g/1.html");
    EXPECT_EQ(text_between_nocase(href, std::string("HREF=") + std::string(kQuoteToken), kQuoteToken), "/g/1.html");
    EXPECT_EQ(text_between("ABC", "a", "c"), "");
    EXPECT_EQ(text_between("ABC", "a", "c", 1, true), "B");
    EXPECT_EQ(text_between_nocase("ABC", "a", "c"), "B");
    EXPECT_EQ(text_between_nocase("ABC", "a", "c", 1, true), "");
    // The searched text itself is not rewritten: a literal token in it is an ordinary text.
    EXPECT_EQ(text_between(std::string("x") + std::string(kQuoteToken) + "y\"", "x\"", "\""), "");
}

TEST(AllBetween, OrderOfTrimPrefixEmptinessMarkersLength) {
    struct Case {
        std::string text, left, right;
        int32_t max_length;
        std::string prefix, suffix;
        bool include_left, include_right;
        int32_t start;
        TextArray want;
    };
    const std::string items = "<a>1</a><a> </a><a>2</a>";
    const Case cases[] = {
        {"|a|b|c|", "|", "|", 0, "", "", false, false, 1, {"a", "b", "c"}},
        {items, "<a>", "</a>", 0, "", "", false, false, 1, {"1", "2"}},
        {items, "<a>", "</a>", 0, "[", "]", false, false, 1, {"[1]", "[]", "[2]"}},
        {items, "<a>", "</a>", 0, "", "", true, true, 1, {"<a>1</a>", "<a>2</a>"}},
        {items, "<a>", "</a>", 0, "", "", true, false, 1, {"<a>1", "<a>2"}},
        {"|a|bb|", "|", "|", 2, "", "", false, false, 1, {"a"}},
        {"|a|bb|", "|", "|", -1, "", "", false, false, 1, {}},
        {items, "<a>", "</a>", 8, "", "", true, true, 1, {}},  // the markers count towards the length
        {"< \xa1\xa1x y\xa1\xa1 >", "<", ">", 0, "", "", false, false, 1, {"x y"}},
        {"<x><y>", "<", ">", 0, "", "", false, false, 2, {"y"}},
        {"<x><y>", "<", ">", 0, "", "", false, false, -3, {"x", "y"}},
        {"no markers", "<", ">", 0, "", "", false, false, 1, {}},
        {"", "<", ">", 0, "", "", false, false, 1, {}},
        {"<x", "<", ">", 0, "", "", false, false, 1, {}},
        {"<A>1</a>", "<a>", "</A>", 0, "", "", false, false, 1, {}},
        // A "|" that is a trail byte is no marker.
        {"|\x81|x|", "|", "|", 0, "", "", false, false, 1, {"\x81|x"}},
        // An empty piece is skipped; the search goes on just after its left marker.
        {"<><b>", "<", ">", 0, "", "", false, false, 1, {"b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
        TextArray result{"stale", "values"};
        const int32_t n = all_between(c.text, c.left, c.right, result, false, c.max_length, c.prefix, c.suffix,
                                      c.include_left, c.include_right, c.start);
        EXPECT_EQ(result, c.want);
        EXPECT_EQ(n, array_size(result));
        EXPECT_EQ(plain::all_between(c.text, c.left, c.right, false, c.max_length, c.prefix, c.suffix, c.include_left,
                                     c.include_right, c.start),
                  c.want);
    }
    TextArray result;
    EXPECT_EQ(all_between("<A>1</a>", "<a>", "</A>", result, true), 1);
    EXPECT_EQ(result, TextArray{"1"});
}

TEST(AllBetween, EmptyMarkersAreRejected) {
    TextArray result{"old"};
    EXPECT_EQ(all_between("abc", "", "c", result), 0);
    EXPECT_TRUE(result.empty());
    result = {"old"};
    EXPECT_EQ(all_between("abc", "a", "", result), 0);
    EXPECT_TRUE(result.empty());
}

namespace {
int g_hook_calls = 0;
void count_hook() {
    ++g_hook_calls;
}
}  // namespace

TEST(AllBetween, DispatchesEventsBetweenPieces) {
    g_hook_calls = 0;
    set_process_events_hook(&count_hook);
    TextArray result;
    EXPECT_EQ(all_between("|a|b|c|", "|", "|", result), 3);
    set_process_events_hook(nullptr);
    EXPECT_GE(g_hook_calls, 3);
}
