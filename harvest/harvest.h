// File: harvest/harvest.h
// The harvest worker: builds the group list from the directory's first ten listing pages on a
// thread of its own, showing each group as it goes and saving weiqun.txt after every page.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "text/text.h"

// The directory's host ("host" or "host:port"): the sample directory's usual address.
inline constexpr std::string_view kDirectoryHost = "127.0.0.1:8086";

// The host in use: the environment variable QUEQIAO_DIRECTORY when set and not empty, else
// kDirectoryHost. Read afresh by every harvest.
[[nodiscard]] Text directory_host();

// The action of "获取最新微群": empties the store and starts one detached worker running
// harvest_pages, then returns. While a worker runs it does nothing at all.
void start_harvest();

// The worker's body: pages 1 to 10, every item of each; stops after the item or page at which
// 选择框1 is found ticked, or when the program is closing. Calls the ended hook when it returns.
void harvest_pages();

// The listing page being harvested (11 after a run through all ten pages) and the item's place on
// it (the batch size plus one after a page whose items all ran). 0 before the first harvest.
[[nodiscard]] int32_t page_no();
[[nodiscard]] int32_t item_no();

// True from start_harvest until its worker has ended.
[[nodiscard]] bool harvest_running();

// Test seams.
// The pause after each item (300 ms unless changed).
void set_harvest_pause_for_test(int32_t ms);
// Called on the worker thread as harvest_pages returns, after harvest_running() has turned false.
void set_harvest_ended_hook(std::function<void()> hook);
// page_no and item_no back to 0, the pause to 300 ms, the hook removed.
void reset_harvest_for_test();
