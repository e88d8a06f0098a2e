// File: harvest/harvest.cpp
// The worker thread: listing pages, their items, the group pages and QR images, the store and
// the list file. Captions and pictures go through the window's controls, which hand them to the
// UI thread in order; the store is appended to directly, one whole entry at a time.
#include "harvest/harvest.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>

#include "groups/list_file.h"
#include "groups/store.h"
#include "groups/window.h"
#include "harvest/listing.h"
#include "http/image.h"
#include "http/request.h"
#include "text/search.h"
#include "text/services.h"

namespace {
constexpr int32_t kPages = 10;
constexpr int32_t kDefaultPause = 300;

std::atomic<int32_t> g_page_no{0};
std::atomic<int32_t> g_item_no{0};
std::atomic<int32_t> g_pause{kDefaultPause};
std::atomic<bool> g_running{false};

std::mutex g_hook_mutex;
std::function<void()> g_ended_hook;

enum class ItemEnd { Next, Stop, Closing };

bool stop_box_ticked() {
    const Controls* controls = window_controls();
    return controls != nullptr && controls->auto_switch();
}

// One group: title and link cut out, group page fetched, then shown, appended and counted.
// Once the program is closing nothing more of it is shown or kept.
ItemEnd harvest_item(const Text& item, int32_t page, int32_t position) {
    // CR and LF become spaces, so the title shown is the title stored.
    const Text title = text_on_one_line(item_title(item));
    const Text group_page = fetch_page(item_link(item));
    const Text qr_address = text_on_one_line(group_qr_address(group_page));
    if (program_closing()) {
        return ItemEnd::Closing;
    }
    if (Controls* controls = window_controls()) {
        controls->set_info(title);
    }
    const Bytes picture = http_get_bytes(qr_address);
    if (program_closing()) {
        return ItemEnd::Closing;
    }
    Controls* controls = window_controls();
    if (controls) {
        controls->set_picture(picture);
    }
    group_store().append({group_entry_line({title, qr_address})});
    if (controls) {
        controls->set_status(harvest_status_text(page, position));
    }
    if (stop_box_ticked()) {
        return ItemEnd::Stop;
    }
    sleep_ms(g_pause.load());
    return ItemEnd::Next;
}

void harvest_ended() {
    g_running.store(false);
    std::function<void()> hook;
    {
        std::lock_guard lock(g_hook_mutex);
        hook = g_ended_hook;
    }
    if (hook) {
        hook();
    }
}
}  // namespace

Text directory_host() {
    const char* value = std::getenv("QUEQIAO_DIRECTORY");
    return value != nullptr && *value != '\0' ? Text(value) : Text(kDirectoryHost);
}

void start_harvest() {
    bool idle = false;
    if (!g_running.compare_exchange_strong(idle, true)) {
        return;  // one worker at a time: a click while it runs does nothing
    }
    group_store().set("");
    try {
        std::thread(harvest_pages).detach();
    } catch (const std::system_error&) {
        g_running.store(false);
    }
}

void harvest_pages() {
    const Text host = directory_host();
    for (int32_t page = 1;; ++page) {
        g_page_no.store(page);
        if (page > kPages || program_closing()) {
            break;
        }
        const TextArray items = listing_items(fetch_page(listing_address(host, page)));
        const int32_t count = array_size(items);
        ItemEnd end = ItemEnd::Next;
        g_item_no.store(1);
        for (int32_t position = 1; position <= count && end == ItemEnd::Next; ++position) {
            g_item_no.store(position);
            end = harvest_item(text_array_get(items, position), page, position);
        }
        if (end == ItemEnd::Next) {
            g_item_no.store(count + 1);
        }
        if (end == ItemEnd::Closing || program_closing()) {
            break;  // the file keeps the last page saved before the window closed
        }
        // Until a group has been found the user's old list stays as it is.
        if (!group_store().empty()) {
            save_group_list();
        }
        if (stop_box_ticked()) {
            break;  // read afresh: the item loop's reading does not decide this one
        }
    }
    harvest_ended();
}

int32_t page_no() {
    return g_page_no.load();
}

int32_t item_no() {
    return g_item_no.load();
}

bool harvest_running() {
    return g_running.load();
}

void set_harvest_pause_for_test(int32_t ms) {
    g_pause.store(ms);
}

void set_harvest_ended_hook(std::function<void()> hook) {
    std::lock_guard lock(g_hook_mutex);
    g_ended_hook = std::move(hook);
}

void reset_harvest_for_test() {
    g_page_no.store(0);
    g_item_no.store(0);
    g_pause.store(kDefaultPause);
    set_harvest_ended_hook(nullptr);
}
