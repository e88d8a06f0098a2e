// File: groups/presentation.cpp
// One step of the QR presentation cycle and the automatic chain of steps, run as a loop so that a
// long chain keeps one copy of the list and a flat stack. A click during a wait still runs a
// whole nested step (or chain) inside that wait; both share current_index.
#include "groups/presentation.h"

#include <atomic>
#include <string_view>
#include <utility>

#include "groups/internal/entry_list.h"
#include "groups/store.h"
#include "groups/window.h"
#include "http/image.h"
#include "text/extract.h"
#include "text/search.h"
#include "text/services.h"

namespace {
constexpr std::string_view kSeparator = "|";
constexpr int32_t kPauseMs = 500;

// 现在正打开第
constexpr std::string_view kOpeningBefore = "\xcf\xd6\xd4\xda\xd5\xfd\xb4\xf2\xbf\xaa\xb5\xda";
// 条群二维码，请稍等!
constexpr std::string_view kOpeningAfter =
    "\xcc\xf5\xc8\xba\xb6\xfe\xce\xac\xc2\xeb\xa3\xac\xc7\xeb\xc9\xd4\xb5\xc8\x21";
// 您选择了自动模式，将自动切换下一个微信群，请尽快扫描!
constexpr std::string_view kAutomaticMode =
    "\xc4\xfa\xd1\xa1\xd4\xf1\xc1\xcb\xd7\xd4\xb6\xaf\xc4\xa3\xca\xbd\xa3\xac\xbd\xab\xd7\xd4\xb6\xaf\xc7\xd0\xbb\xbb"
    "\xcf\xc2\xd2\xbb\xb8\xf6\xce\xa2\xd0\xc5\xc8\xba\xa3\xac\xc7\xeb\xbe\xa1\xbf\xec\xc9\xa8\xc3\xe8\x21";
// 已切成功啦！请扫描进群吧！
constexpr std::string_view kManualMode =
    "\xd2\xd1\xc7\xd0\xb3\xc9\xb9\xa6\xc0\xb2\xa3\xa1\xc7\xeb\xc9\xa8\xc3\xe8\xbd\xf8\xc8\xba\xb0\xc9\xa3\xa1";

// Written by the UI thread only.
int32_t g_current_index = 0;
Text g_current_entry;
int g_running_chains = 0;

std::atomic<void (*)(bool)> g_screen_blank_hook{nullptr};

// Keeps the screen from blanking from the moment a chain goes automatic until it ends, whichever
// way it ends; only the outermost of nested chains calls the hook.
class ScreenBlankInhibit {
public:
    ScreenBlankInhibit() = default;
    ScreenBlankInhibit(const ScreenBlankInhibit&) = delete;
    ScreenBlankInhibit& operator=(const ScreenBlankInhibit&) = delete;
    ~ScreenBlankInhibit() {
        if (m_held && --g_running_chains == 0) {
            call_hook(false);
        }
    }
    void hold() {
        if (!m_held) {
            m_held = true;
            if (g_running_chains++ == 0) {
                call_hook(true);
            }
        }
    }

private:
    static void call_hook(bool inhibit) {
        if (auto* hook = g_screen_blank_hook.load()) {
            hook(inhibit);
        }
    }
    bool m_held = false;
};

// The controls when the window is still there to be touched, else nullptr.
Controls* open_window() {
    return program_closing() ? nullptr : window_controls();
}

enum class StepEnd { kChainEnds, kNextStep };

// One step as the user sees it; kNextStep once the automatic interval has passed.
StepEnd one_step(ScreenBlankInhibit& inhibit) {
    Controls* controls = open_window();
    EventPump* pump = window_pump();
    if (controls == nullptr || pump == nullptr) {
        return StepEnd::kChainEnds;
    }
    // Wraps like the 32-bit counter it is; a wrapped value counts as past the end.
    g_current_index = static_cast<int32_t>(static_cast<uint32_t>(g_current_index) + 1U);
    {
        // The store's copy lives only until the entry is taken; only that entry is kept.
        const Text store = group_store().read();
        if (store.empty()) {
            return StepEnd::kChainEnds;
        }
        EntryPick pick = pick_entry(store, g_current_index);
        if (g_current_index < 1 || pick.count < g_current_index) {
            g_current_index = 0;
            controls->set_auto_switch(false);
            return StepEnd::kChainEnds;
        }
        g_current_entry = std::move(pick.entry);
    }
    controls->set_status(text_concat(kOpeningBefore, int_to_text(g_current_index), kOpeningAfter));
    controls->set_info(text_before(g_current_entry, kSeparator));
    const Text address = text_after_last(g_current_entry, kSeparator);

    Bytes image;
    if (!pump->run_blocking([&] { image = http_get_bytes(address); })) {
        return StepEnd::kChainEnds;
    }
    controls->set_picture(image);

    if (!wait_processing_events(kPauseMs) || (controls = open_window()) == nullptr) {
        return StepEnd::kChainEnds;
    }
    if (!controls->auto_switch()) {
        controls->set_status(Text(kManualMode));
        return StepEnd::kChainEnds;
    }
    inhibit.hold();
    controls->set_status(Text(kAutomaticMode));
    if (!wait_processing_events(text_to_int(controls->interval_text())) || open_window() == nullptr) {
        return StepEnd::kChainEnds;
    }
    return StepEnd::kNextStep;
}
}  // namespace

void show_next_group() {
    ScreenBlankInhibit inhibit;
    while (one_step(inhibit) == StepEnd::kNextStep) {
    }
}

bool wait_processing_events(int32_t ms) {
    if (ms <= 0) {
        return !program_closing();
    }
    EventPump* pump = window_pump();
    if (pump == nullptr) {
        // No window: nothing to dispatch, so the wait is a plain sleep.
        sleep_ms(ms);
        return !program_closing();
    }
    const uint32_t end = pump->tick_count() + static_cast<uint32_t>(ms);
    return pump->wait_until(end);
}

int32_t current_index() {
    return g_current_index;
}

Text current_entry() {
    return g_current_entry;
}

void reset_presentation_state() {
    g_current_index = 0;
    g_current_entry.clear();
}

void set_screen_blank_hook(void (*hook)(bool inhibit)) {
    g_screen_blank_hook.store(hook);
}
