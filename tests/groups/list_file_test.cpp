// File: tests/groups/list_file_test.cpp
// Reading the group list's lines back: counting them, the title and address of one line, and the
// line written for one group.
#include "groups/list_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ListFile, CountLines) {
    struct Case {
        std::string text;
        int32_t lines;
    };
    const Case cases[] = {
        {"", 0},       {"a", 1},          {"a\r\n", 1},
        {"a\r\nb", 2}, {"a\r\nb\r\n", 2}, {"a\r\n\r\nb\r\n", 3},  // a blank line counts
        {"\n", 1},     {"a\rb", 1},                               // a lone CR is no line end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(count_lines(c.text), c.lines);
    }
}

TEST(ListFile, TitleAndAddressOfALine) {
    struct Case {
        std::string line, title, address;
    };
    const Case cases[] = {
        {"t|x|u", "t", "u"},  // a title with "|" is cut at its first one
        {"tu", "", ""},       // no "|" at all
        {"t|", "t", ""},      // only "|" on the last byte: no address
        {"|u", "", "u"},
        {"", "", ""},
        {"t|http://h/q.png?a=1|", "t", "http://h/q.png?a=1|"},  // the last byte is never the separator
        // 0x81 0x7C is one GBK character whose trail byte is "|": never a separator.
        {"\x81\x7c|u", "\x81\x7c", "u"},
        {"t|\x81\x7c", "t", "\x81\x7c"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(entry_title(c.line), c.title);
        EXPECT_EQ(entry_address(c.line), c.address);
    }
}

TEST(ListFile, GroupEntryLineIsAlwaysOneLine) {
    EXPECT_EQ(group_entry_line({"t", "http://h/q.png"}), "t|http://h/q.png\r\n");
    EXPECT_EQ(group_entry_line({"", ""}), "|\r\n");
    const Text line = group_entry_line({"a\r\nb", "u\nv\r"});
    EXPECT_EQ(line, "a  b|u v \r\n");
    EXPECT_EQ(count_lines(line), 1);
}

}  // namespace
