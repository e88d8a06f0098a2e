// File: tests/text/text_test.cpp
// The value types' basic operations: both empty forms one value, bytes_to_text stopping at NUL,
// int_to_text in plain decimal.
#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>

TEST(TextBasics, EmptyFormsAreOneValue) {
    EXPECT_TRUE(text_equal(Text(), ""));
    EXPECT_TRUE(text_equal(std::string_view(), ""));
    EXPECT_EQ(text_length(std::string_view()), 0);
    EXPECT_EQ(text_concat(Text(), ""), "");
    EXPECT_EQ(text_concat("a", Text(), "b", std::string_view()), "ab");
    EXPECT_FALSE(text_equal("a", "ab"));
    EXPECT_TRUE(text_to_bytes(Text()).empty());
}

TEST(TextBasics, IntToText) {
    const std::pair<int32_t, const char*> cases[] = {
        {-12, "-12"}, {0, "0"}, {7, "7"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
    for (const auto& [value, want] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(int_to_text(value), want);
    }
}

TEST(TextBasics, BytesToTextStopsAtNul) {
    EXPECT_EQ(bytes_to_text(Bytes{0x61, 0x00, 0x62}), "a");
    EXPECT_EQ(bytes_to_text(Bytes{0x00, 0x61}), "");
    EXPECT_EQ(bytes_to_text(Bytes{}), "");
    EXPECT_EQ(bytes_to_text(Bytes{0xD6, 0xD0}), "\xd6\xd0");
    EXPECT_EQ(text_to_bytes("a\xff"), (Bytes{0x61, 0xFF}));
    EXPECT_EQ(bytes_length(Bytes{0, 0, 0}), 3);
    EXPECT_EQ(text_length("\xd6\xd0x"), 3);
}
