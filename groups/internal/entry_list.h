// File: groups/internal/entry_list.h
// Cutting the store into its entries at CR LF for one presentation step: the count of entries and
// the one entry the step shows, without keeping a copy of every entry.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/text.h"

struct EntryPick {
    int32_t count = 0;  // array_size(text_split(store, "\r\n"))
    Text entry;         // entry number index of that list; empty when index is outside 1..count
};

// What text_split of the store at CR LF and text_array_get would give, found with the same
// character-aware search: inner blank entries count, a final CR LF makes no empty last entry,
// and an LF after a lead byte is no line end.
[[nodiscard]] EntryPick pick_entry(std::string_view store, int32_t index);
