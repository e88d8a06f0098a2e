// File: groups/internal/entry_list.cpp
// One walk over the store with the character-aware search, remembering only the wanted entry.
#include "groups/internal/entry_list.h"

#include "text/search.h"

namespace {
constexpr std::string_view kEntryDelimiter = "\r\n";
}

EntryPick pick_entry(std::string_view store, int32_t index) {
    EntryPick pick;
    const auto length = static_cast<int32_t>(store.size());
    int32_t piece = 1;  // where the current entry begins
    for (;;) {
        const int32_t end = text_find(store, kEntryDelimiter, piece);
        if (end < 0) {
            break;
        }
        if (++pick.count == index) {
            pick.entry.assign(store.substr(static_cast<size_t>(piece - 1), static_cast<size_t>(end - piece)));
        }
        piece = end + static_cast<int32_t>(kEntryDelimiter.size());
    }
    if (piece <= length) {
        if (++pick.count == index) {
            pick.entry.assign(store.substr(static_cast<size_t>(piece - 1)));
        }
    }
    return pick;
}
