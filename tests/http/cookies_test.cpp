// File: tests/http/cookies_test.cpp
// Cookie merging: the worked example, the edges of names, deletions and repeats, and the helpers.
#include "http/cookies.h"

#include <gtest/gtest.h>

namespace {

TEST(Cookies, WorkedExample) {
    Text cookies = "sid=1; lang=cn; tok=7";
    Text returned = "sid=2; tok=deleted; uid=9; ";
    const Text merged = merge_cookies(cookies, returned);
    EXPECT_EQ(cookies, "sid=2; uid=9; lang=cn");
    EXPECT_EQ(merged, cookies);
    EXPECT_EQ(returned, "sid=2;tok=deleted;uid=9;");
}

struct MergeCase {
    const char* cookies;
    const char* returned;
    const char* merged;
    const char* returned_after;
};

TEST(Cookies, MergeEdges) {
    const MergeCase cases[] = {
        {"", "", "", ""},
        {"", "a=1; a=1; ", "a=1", "a=1;a=1;"},
        {"", "a=1; a=2; ", "a=1; a=2", "a=1;a=2;"},
        // Of several old items with one name only the first is kept.
        {"a=1; a=2; b=3", "", "a=1; b=3", ""},
        {"flag; x=1", "", "flag; x=1", ""},
        {"q=a b", "", "q=ab", ""},
        // Names differ by letter case.
        {"SID=1", "sid=2; ", "sid=2; SID=1", "sid=2;"},
        // Only an exact "=deleted" at the end marks a deletion.
        {"a=DELETED; b=deletedx", "", "a=DELETED; b=deletedx", ""},
        {"a=deleted; b=1", "", "b=1", ""},
        // A Set-Cookie without attributes contributes an empty item.
        {"", "a=1; ; ", "a=1", "a=1;;"},
        {"", "; a=1; ", "; a=1", ";a=1;"},
        // Full-width spaces (A1 A1) go as well.
        {"k=\xa1\xa1v", "", "k=v", ""},
        {"a=1", "a=deleted; ", "", "a=deleted;"},
        {" n = 1 ;m=2", "", "n=1; m=2", ""},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.cookies << "' + '" << c.returned << "'");
        Text cookies = c.cookies;
        Text returned = c.returned;
        EXPECT_EQ(merge_cookies(cookies, returned), c.merged);
        EXPECT_EQ(cookies, c.merged);
        EXPECT_EQ(returned, c.returned_after);
    }
}

TEST(Cookies, NameAndPresence) {
    EXPECT_EQ(cookie_name("sid=1"), "sid");
    EXPECT_EQ(cookie_name(" sid =1=2"), "sid");
    EXPECT_EQ(cookie_name(" flag "), "flag");
    EXPECT_EQ(cookie_name("=v"), "");
    EXPECT_EQ(cookie_name(""), "");
    const TextArray items = {"a=1", "flag", "B=2"};
    EXPECT_TRUE(cookie_name_present(items, "flag"));
    EXPECT_TRUE(cookie_name_present(items, "B"));
    EXPECT_FALSE(cookie_name_present(items, "b"));
    EXPECT_FALSE(cookie_name_present({}, ""));
    EXPECT_TRUE(cookie_name_present({"=x"}, ""));
}

TEST(Cookies, JoinDistinctAndFind) {
    EXPECT_EQ(join_distinct("a=1; a=2; a=1", "; "), "a=1; a=2");
    EXPECT_EQ(join_distinct("", "; "), "");
    EXPECT_EQ(join_distinct("x|y|x|", "|"), "x|y");
    EXPECT_EQ(join_distinct("; ; a", "; "), "; a");
    const TextArray array = {"a", "", "b", "a"};
    EXPECT_EQ(text_array_find(array, "a"), 1);
    EXPECT_EQ(text_array_find(array, ""), 2);
    EXPECT_EQ(text_array_find(array, "b"), 3);
    EXPECT_EQ(text_array_find(array, "A"), -1);
    EXPECT_EQ(text_array_find({}, ""), -1);
}

}  // namespace
