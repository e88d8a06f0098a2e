// File: tests/groups/entry_list_test.cpp
// The step's way of cutting the store must count and pick exactly like text_split at CR LF.
#include "groups/internal/entry_list.h"

#include <gtest/gtest.h>

#include <string>

#include "text/search.h"

namespace {

TEST(EntryList, PicksLikeTextSplit) {
    const std::string stores[] = {
        "",
        "a|u1\r\nb|u2\r\n",
        "a|u1\r\n\r\nb|u2",      // a blank line inside is an entry
        "a|u1\r\nb|u2\r\n\r\n",  // only the final CR LF makes no entry
        "\r\n",
        "a\nb\rc",         // lone LF and CR are no line ends
        "\x81\r\nx\r\ny",  // the CR after a lead byte is its trail byte
        "t|x|u",
    };
    for (const std::string& store : stores) {
        SCOPED_TRACE(store);
        const TextArray entries = text_split(store, "\r\n");
        const int32_t n = array_size(entries);
        for (int32_t i = -1; i <= n + 1; ++i) {
            SCOPED_TRACE(i);
            const EntryPick pick = pick_entry(store, i);
            EXPECT_EQ(pick.count, n);
            EXPECT_EQ(pick.entry, i >= 1 && i <= n ? text_array_get(entries, i) : Text());
        }
    }
}

}  // namespace
