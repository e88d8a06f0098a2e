// File: tests/text/search_test.cpp
// The cutting, searching, splitting, trimming, replacing and number primitives at their edges, and
// the fast searches against the plain character walk on random GBK-like texts.
#include "text/search.h"

#include <gtest/gtest.h>

#include <random>

#include "text/plain_walk.h"

namespace {

// A two-byte character whose trail byte is "|" (0x7C): a "|" there must never match.
const std::string kBarTrail = "\x81\x7c";
// Full-width capital A and small a, full-width Z, full-width space.
const std::string kWideA = "\xa3\xc1";
const std::string kWideSmallA = "\xa3\xe1";
const std::string kWideZ = "\xa3\xda";
const std::string kWideSpace = "\xa1\xa1";
// 中文
const std::string kChinese = "\xd6\xd0\xce\xc4";

std::string cat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (auto p : parts) {
        out += p;
    }
    return out;
}

}  // namespace

TEST(Cutting, ByPosition) {
    EXPECT_EQ(text_left("abc", 5), "abc");
    EXPECT_EQ(text_left("abc", 0), "");
    EXPECT_EQ(text_left("abc", -1), "");
    EXPECT_EQ(text_right("abc", 2), "bc");
    EXPECT_EQ(text_right("abc", 9), "abc");
    EXPECT_EQ(text_right("abc", -3), "");
    EXPECT_EQ(text_mid("abcdef", 3, 2), "cd");
    EXPECT_EQ(text_mid("abcdef", 5, 10), "ef");
    EXPECT_EQ(text_mid("abcdef", 6, 1), "f");
    EXPECT_EQ(text_mid("abcdef", 0, 2), "");
    EXPECT_EQ(text_mid("abcdef", 7, 2), "");
    EXPECT_EQ(text_mid("abcdef", 1, 0), "");
    EXPECT_EQ(text_from_char_code(0), "");
    EXPECT_EQ(text_from_char_code(0x41), "A");
    EXPECT_EQ(text_from_char_code(0xA1), "\xa1");
    EXPECT_EQ(text_of_spaces(3), "   ");
    EXPECT_EQ(text_of_spaces(-1), "");
}

TEST(Find, Edges) {
    struct Case {
        std::string text, sought;
        int32_t start;
        bool ignore_case;
        int32_t want;
    };
    const Case cases[] = {
        {"abc", "c", 1, false, 3},
        {"abc", "c", 0, false, 3},
        {"abc", "c", -5, false, 3},
        {"abc", "c", 3, false, 3},
        {"abc", "c", 4, false, -1},
        {"abc", "", 3, false, 1},  // an empty sought gives 1 even for start 3
        {"abc", "", 4, false, -1},
        {"", "", 1, false, -1},
        {"", "a", 1, false, -1},
        {"abc", "abcd", 1, false, -1},
        {"ABC", "b", 1, false, -1},
        {"ABC", "b", 1, true, 2},
        {"aBc", "ABC", 1, true, 1},
        {cat({"x", kWideA}), kWideSmallA, 1, true, -1},  // full-width letters never fold
        {cat({"a", kBarTrail, "b"}), "|", 1, false, -1},
        {cat({"a", kBarTrail, "|b"}), "|", 1, false, 4},
        {cat({kChinese, "|"}), "|", 1, false, 5},
        // The walk starts exactly at start: from the trail byte, "|" is seen.
        {cat({kBarTrail}), "|", 2, false, 2},
        // A lead byte whose trail byte is "A" hides it also when case is ignored.
        {"\x81\x41", "a", 1, true, -1},
        {"\x81\x41"
         "a",
         "A", 1, true, 3},
        // Folding covers trail bytes inside the candidate.
        {"\x81\x41", "\x81\x61", 1, true, 1},
        // A text ending in a lone lead byte.
        {"ab\x81", "\x81", 1, false, 3},
        {"ab\x81", "b\x81", 1, false, 2},
        // Long runs of high bytes: the parity of the run decides.
        {"\xb0\xa1\xb0\xa1\xb0\xa1", "\xa1\xb0", 1, false, -1},
        {"x\xb0\xa1\xb0\xa1\xb0\xa1", "\xb0\xa1", 4, false, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "' / '" << c.sought << "' from " << c.start);
        EXPECT_EQ(text_find(c.text, c.sought, c.start, c.ignore_case), c.want);
        EXPECT_EQ(plain::find(c.text, c.sought, c.start, c.ignore_case), c.want);
    }
}

TEST(FindLast, OccurrenceEndingAtTheLimitIsNotSeen) {
    struct Case {
        std::string text, sought;
        std::optional<int32_t> limit;
        bool ignore_case;
        int32_t want;
    };
    const Case cases[] = {
        {"a=b=", "=", std::nullopt, false, 4},
        {"a=b=", "=", 4, false, 2},
        {"a=b=", "=", 3, false, 2},
        {"a=b=", "=", 2, false, -1},
        {"a=b=", "=", 100, false, 4},
        {"a=b=", "=", 0, false, -1},
        {"a=b=", "", 2, false, 1},
        {"a=b=", "", 1, false, -1},
        {"", "", std::nullopt, false, -1},
        {"aXbx", "x", std::nullopt, true, 4},
        {"aXbx", "x", 4, true, 2},
        {cat({"a|", kBarTrail}), "|", std::nullopt, false, 2},
        {cat({kBarTrail, kBarTrail}), "|", std::nullopt, false, -1},
        {"ab\x81", "\x81", std::nullopt, false, 3},
        {"\x81\x41", "a", std::nullopt, true, -1},
        {"title|url", "|", 9, false, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "' / '" << c.sought << "' limit "
                                        << (c.limit ? *c.limit : -999));
        EXPECT_EQ(text_find_last(c.text, c.sought, c.limit, c.ignore_case), c.want);
        EXPECT_EQ(plain::find_last(c.text, c.sought, c.limit, c.ignore_case), c.want);
    }
}

TEST(Split, KeepsInnerEmptyPiecesDropsTrailingOne) {
    struct Case {
        std::string text, delimiter;
        TextArray want;
    };
    const Case cases[] = {
        {"a\r\nb\r\n", "\r\n", {"a", "b"}},
        {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
        {"\r\na", "\r\n", {"", "a"}},
        {"\r\n", "\r\n", {""}},
        {"", "\r\n", {}},
        {"abc", ",", {"abc"}},
        {"abc", "", {"abc"}},
        {"a.b.c", ".", {"a", "b", "c"}},
        {cat({"x", kBarTrail, "y"}), "|", {cat({"x", kBarTrail, "y"})}},
        {cat({"x", kBarTrail, "|y|"}), "|", {cat({"x", kBarTrail}), "y"}},
        // After a delimiter the walk starts afresh, even when the delimiter ended in a lead byte.
        {"a\x81|b", "a\x81", {"", "|b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "' at '" << c.delimiter << "'");
        EXPECT_EQ(text_split(c.text, c.delimiter), c.want);
        EXPECT_EQ(plain::split(c.text, c.delimiter), c.want);
    }
}

TEST(Split, AfterDelimiterEndingInLeadByteNextPieceStartsFresh) {
    // "\x81" as delimiter: a match resumes right after it, so the following "|" is a character.
    EXPECT_EQ(text_split("a\x81|b|", "\x81"), (TextArray{"a", "|b|"}));
    EXPECT_EQ(text_split("\x81|b|c", "|"), (TextArray{"\x81|b", "c"}));
}

TEST(Arrays, AppendClearGet) {
    TextArray a;
    text_array_append(a, "x");
    text_array_append(a, "");
    EXPECT_EQ(array_size(a), 2);
    EXPECT_EQ(text_array_get(a, 1), "x");
    EXPECT_EQ(text_array_get(a, 2), "");
    text_array_clear(a);
    EXPECT_EQ(array_size(a), 0);
}

TEST(Spaces, OnlyAsciiAndFullWidthSpaceCount) {
    struct Case {
        std::string text, trimmed, removed;
    };
    const Case cases[] = {
        {cat({" ", kWideSpace, "a b", kWideSpace, " "}), "a b", "ab"},
        {"\ta\r\n", "\ta\r\n", "\ta\r\n"},
        {"  ", "", ""},
        {cat({kWideSpace, kWideSpace}), "", ""},
        {"", "", ""},
        {cat({"a b\tc", kWideSpace, "d"}), cat({"a b\tc", kWideSpace, "d"}), "ab\tcd"},
        // A1 A1 that straddles two characters (B0 A1, A1 B0) is no space.
        {"\xb0\xa1\xa1\xb0 ", "\xb0\xa1\xa1\xb0", "\xb0\xa1\xa1\xb0"},
        {"\xb0\xa1\xa1", "\xb0\xa1\xa1", "\xb0\xa1\xa1"},
        {"a \xa1", "a \xa1", "a\xa1"},  // a lone lead byte at the end stays
        {"\x81  ", "\x81 ", "\x81 "},   // the lone lead byte takes the first space as its trail byte
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
        EXPECT_EQ(text_trim(c.text), c.trimmed);
        EXPECT_EQ(text_remove_spaces(c.text), c.removed);
        EXPECT_EQ(plain::trim(c.text), c.trimmed);
        EXPECT_EQ(plain::remove_spaces(c.text), c.removed);
    }
}

TEST(Replace, LeftToRightWithoutOverlap) {
    struct Case {
        std::string text, sought, replacement, want;
    };
    const Case cases[] = {
        {"aaa", "aa", "b", "ba"},
        {"x#\xd2\xfd\xba\xc5y#\xd2\xfd\xba\xc5", "#\xd2\xfd\xba\xc5", "\"", "x\"y\""},
        {"abc", "", "z", "abc"},
        {"", "a", "z", ""},
        {"abab", "ab", "", ""},
        {"aa", "a", "aa", "aaaa"},  // the replacement is never searched again
        {cat({"a", kBarTrail, "|"}), "|", "/", cat({"a", kBarTrail, "/"})},
        {"AbA", "a", "x", "AbA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "' '" << c.sought << "'");
        EXPECT_EQ(text_replace_all(c.text, c.sought, c.replacement), c.want);
        EXPECT_EQ(plain::replace_all(c.text, c.sought, c.replacement), c.want);
    }
}

TEST(Lower, OnlyAsciiCapitalsOutsideTwoByteCharacters) {
    EXPECT_EQ(text_to_lower(cat({"ABC", kChinese})), cat({"abc", kChinese}));
    EXPECT_EQ(text_to_lower(kWideZ), kWideZ);
    EXPECT_EQ(text_to_lower("\x81\x41Z"), "\x81\x41z");  // the trail byte "A" stays
    EXPECT_EQ(text_to_lower("Q\x81"), "q\x81");
}

TEST(ToInt, WidthFoldingSignAndWrap) {
    const std::string wide5000 = "\xa3\xb5\xa3\xb0\xa3\xb0\xa3\xb0";
    struct Case {
        std::string text;
        int32_t want;
    };
    const Case cases[] = {
        {" 5000", 5000},
        {"5000ms", 5000},
        {"", 0},
        {"abc", 0},
        {"- 3", 0},
        {"0x10", 0},
        {"-3", -3},
        {"+7", 7},
        {"007", 7},
        {"\t\r\n12", 12},
        {"\v\f9", 9},
        {wide5000, 5000},
        {cat({kWideSpace, "8"}), 8},
        {"\xa3\xad\xa3\xb3", -3},  // full-width minus and 3
        {"\xa3\xab"
         "4",
         4},
        {"4294967295", -1},
        {"2147483648", -2147483648},
        {"-2147483648", -2147483648},
        {"12345678901", -539222987},
        {"+-1", 0},
        {"1\xb0\xa1"
         "2",
         1},
        {"\x81\x35", 0},  // a trail byte that looks like a digit is no digit
        {"7\xa3", 7},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.text << "'");
        EXPECT_EQ(text_to_int(c.text), c.want);
        EXPECT_EQ(plain::to_int(c.text), c.want);
    }
}

TEST(BytesAndIntegers, Helpers) {
    const Bytes abc{1, 2, 3};
    EXPECT_EQ(bytes_left(abc, 9), abc);
    EXPECT_EQ(bytes_left(abc, 2), (Bytes{1, 2}));
    EXPECT_TRUE(bytes_left(abc, 0).empty());
    EXPECT_EQ(bytes_of_zeros(3), (Bytes{0, 0, 0}));
    EXPECT_TRUE(bytes_of_zeros(-2).empty());
    const Bytes zero{0};
    EXPECT_EQ(bytes_concat({abc, Bytes{}, zero}), (Bytes{1, 2, 3, 0}));
    EXPECT_TRUE(bytes_concat({Bytes{}, Bytes{}}).empty());
    EXPECT_TRUE(bytes_equal(Bytes{}, Bytes{}));
    EXPECT_FALSE(bytes_equal(abc, Bytes{1, 2}));
    EXPECT_FALSE(bytes_equal(abc, Bytes{1, 2, 4}));
    EXPECT_EQ(bit_or({1, 4, 0x20}), 0x25);
    EXPECT_EQ(bit_or({0, 0}), 0);
}

// Random texts over a small alphabet rich in lead bytes, "|", "A"/"a" and spaces, so that trail
// bytes, runs of high bytes and lone lead bytes at the end all occur.
TEST(Differential, FastSearchesAgreeWithThePlainWalk) {
    const char alphabet[] = {'a', 'A', '|', ' ', '\r', '\n', '\x81', '\xa1', '\xa3', '\xc1', '\xe1', '\x7c'};
    std::mt19937 rng(20240611);
    auto random_text = [&](size_t max) {
        std::string s(rng() % (max + 1), ' ');
        for (auto& c : s) {
            c = alphabet[rng() % sizeof alphabet];
        }
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string t = random_text(24);
        const std::string s = random_text(3);
        const std::string r = random_text(2);
        const int32_t start = static_cast<int32_t>(rng() % 30) - 3;
        const bool ic = (rng() & 1) != 0;
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_EQ(text_find(t, s, start, ic), plain::find(t, s, start, ic));
        ASSERT_EQ(text_find_last(t, s, start, ic), plain::find_last(t, s, start, ic));
        ASSERT_EQ(text_find_last(t, s, std::nullopt, ic), plain::find_last(t, s, std::nullopt, ic));
        ASSERT_EQ(text_split(t, s), plain::split(t, s));
        ASSERT_EQ(text_replace_all(t, s, r), plain::replace_all(t, s, r));
        ASSERT_EQ(text_trim(t), plain::trim(t));
        ASSERT_EQ(text_remove_spaces(t), plain::remove_spaces(t));
        ASSERT_EQ(text_to_lower(t), plain::to_lower(t));
    }
}

TEST(Differential, LongSplitAgreesWithThePlainWalk) {
    // Long enough for the array to be sized up front; "|" also appears as trail bytes.
    std::string t;
    for (int i = 0; i < 20000; ++i) {
        t += (i % 3 == 0) ? "\x81|\x81|" : "ab|";
    }
    EXPECT_EQ(text_split(t, "|"), plain::split(t, "|"));
    EXPECT_EQ(text_split(t, "b|"), plain::split(t, "b|"));
}
