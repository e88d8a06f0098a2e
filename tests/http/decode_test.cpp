// File: tests/http/decode_test.cpp
// UTF-8 and UTF-16 to GBK: substitution of broken input, composition of combining marks, the
// question mark for everything the code page lacks, the cut at NUL, and long bodies in blocks.
#include "http/decode.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <string>

#include "http/internal/mark_scan.h"

namespace {

Bytes bytes(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

struct DecodeCase {
    const char* name;
    std::string utf8;
    std::string gbk;
};

TEST(Decode, Utf8ToGbk) {
    const DecodeCase cases[] = {
        {"two Chinese characters", "\xe4\xbd\xa0\xe5\xa5\xbd", "\xc4\xe3\xba\xc3"},  // 你好
        {"ASCII unchanged", "<a href=\"/x?y=1\">A|b</a>\r\n", "<a href=\"/x?y=1\">A|b</a>\r\n"},
        {"empty", "", ""},
        {"stops at NUL", std::string("ab\0cd", 5), "ab"},
        {"NUL first", std::string("\0ab", 3), ""},
        {"e and U+0301 composed", "e\xcc\x81", "\xa8\xa6"},
        {"n and U+0303 composed, then unmappable", "n\xcc\x83", "?"},
        {"a mark with no precomposed form stays two characters", "q\xcc\x81", "q?"},
        {"a mark at the start",
         "\xcc\x81"
         "a",
         "?a"},
        {"kana and the voiced mark", "\xe3\x81\x8b\xe3\x82\x99", "\xa4\xac"},  // か U+3099 -> が
        {"byte-order mark is a character",
         "\xef\xbb\xbf"
         "A",
         "?A"},
        {"zero width space and soft hyphen",
         "a\xe2\x80\x8b"
         "b\xc2\xad"
         "c",
         "a?b?c"},
        {"euro is 0x80", "\xe2\x82\xac", "\x80"},
        {"outside the BMP: one ?",
         "\xf0\x9f\x98\x80"
         "x",
         "?x"},
        {"truncated sequence: one U+FFFD",
         "\xe4\xbd"
         "A",
         "?A"},
        {"overlong: one per byte", "\xc0\xaf", "??"},
        {"surrogate encoded: one per byte", "\xed\xa0\x80", "???"},
        {"invalid lead then valid",
         "\xf0\x80\x80"
         "A",
         "???A"},
        {"lone continuation",
         "\x80"
         "a",
         "?a"},
        {"GBK body read as UTF-8 is garbled", "\xc4\xe3\xba\xc3", "???"},  // C4 | E3 BA | C3
        {"broken sequence before NUL", std::string("\xe4\0a", 3), "?"},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8_to_gbk(bytes(c.utf8)), c.gbk);
    }
}

TEST(Decode, Utf8ToUtf16) {
    EXPECT_EQ(utf8_to_utf16(bytes("A\xe4\xb8\xad")), (Bytes{0x41, 0x00, 0x2d, 0x4e}));
    EXPECT_EQ(utf8_to_utf16(bytes(std::string("\xe4\xbd\0", 3))), (Bytes{0xfd, 0xff, 0x00, 0x00}));
    EXPECT_EQ(utf8_to_utf16(bytes("\xf0\x9f\x98\x80")), (Bytes{0x3d, 0xd8, 0x00, 0xde}));
    EXPECT_EQ(utf8_to_utf16(bytes("\xef\xbb\xbf")), (Bytes{0xff, 0xfe}));
    EXPECT_TRUE(utf8_to_utf16({}).empty());
}

TEST(Decode, Utf16ToGbk) {
    EXPECT_EQ(utf16_to_gbk(Bytes{0x2d, 0x4e, 0x87, 0x65}), "\xd6\xd0\xce\xc4");  // 中文
    EXPECT_EQ(utf16_to_gbk(Bytes{0x41, 0x00, 0x42}), "A");                       // odd last byte dropped
    EXPECT_EQ(utf16_to_gbk(Bytes{0x41, 0x00, 0x00, 0x00, 0x42, 0x00}), "A");
    EXPECT_EQ(utf16_to_gbk(Bytes{0x00, 0xd8, 0x41, 0x00}), "?A");  // lone lead surrogate
    EXPECT_EQ(utf16_to_gbk(Bytes{0x00, 0xdc}), "?");               // lone trail surrogate
    EXPECT_EQ(utf16_to_gbk(Bytes{0x3d, 0xd8, 0x00, 0xde}), "?");   // one ? for a pair
    EXPECT_EQ(utf16_to_gbk(Bytes{0x65, 0x00, 0x01, 0x03}), "\xa8\xa6");
    EXPECT_EQ(utf16_to_gbk({}), "");
}

// Bodies far longer than one conversion block, with marks right where blocks may be cut.
TEST(Decode, LongBodiesAcrossBlocks) {
    struct Piece {
        std::string utf8;
        std::string gbk;
    };
    const Piece pieces[] = {
        {"e\xcc\x81", "\xa8\xa6"},                         // composed pair
        {"\xe4\xb8\xad", "\xd6\xd0"},                      // 中
        {"ab", "ab"},                                      //
        {"\xe9\xb9\x8a\xe6\xa1\xa5", "\xc8\xb5\xc7\xc5"},  // 鹊桥
        {"\xf0\x9f\x98\x80", "?"},                         // outside the BMP
        {"\xe4\xbd", "?"},                                 // broken
    };
    for (const Piece& p : pieces) {
        for (const Piece& q : pieces) {
            std::string in;
            std::string want;
            while (in.size() < 300 * 1024) {
                in += p.utf8 + q.utf8;
                want += p.gbk + q.gbk;
            }
            SCOPED_TRACE(p.utf8 + q.utf8);
            EXPECT_EQ(utf8_to_gbk(bytes(in)), want);
            EXPECT_EQ(utf16_to_gbk(utf8_to_utf16(bytes(in))), want);
        }
    }
}

TEST(Decode, LiteralsOfTheProgram) {
    // 鹊桥扫码通 as the program writes it.
    EXPECT_EQ(utf8_to_gbk(bytes("\xe9\xb9\x8a\xe6\xa1\xa5\xe6\x89\xab\xe7\xa0\x81\xe9\x80\x9a")),
              "\xc8\xb5\xc7\xc5\xc9\xa8\xc2\xeb\xcd\xa8");
}

// The quick scan that lets text skip the composition step must flag every combining mark.
TEST(Decode, MarkScanFlagsEveryCombiningMark) {
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
        if ((U_GET_GC_MASK(c) & U_GC_M_MASK) == 0) {
            continue;
        }
        uint8_t utf8[4];
        int32_t n = 0;
        U8_APPEND_UNSAFE(utf8, n, c);
        ASSERT_TRUE(http_internal::utf8_may_hold_mark(utf8, static_cast<size_t>(n))) << std::hex << c;
        // Inside a longer text, at every offset within a group of sixteen bytes.
        std::string text(40, 'a');
        text.insert(static_cast<size_t>(c % 17), reinterpret_cast<const char*>(utf8), static_cast<size_t>(n));
        ASSERT_TRUE(http_internal::utf8_may_hold_mark(reinterpret_cast<const uint8_t*>(text.data()), text.size()))
            << std::hex << c;
    }
    const std::string plain = "<p>\xe4\xb8\xad\xef\xbc\x8c\xe3\x80\x82\xe2\x80\x9c\xeb\x82\x98</p>";  // 中，。“나
    std::string longer;
    for (int i = 0; i < 20; ++i) {
        longer += plain;
        EXPECT_FALSE(http_internal::utf8_may_hold_mark(reinterpret_cast<const uint8_t*>(longer.data()), longer.size()));
    }
}

}  // namespace
