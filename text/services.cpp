// File: text/services.cpp
// The event-dispatch hook (installed by the window, bound to the thread that installed it), sleeping
// and the process-wide closing flag.
#include "text/services.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<void (*)()> g_hook{nullptr};
std::atomic<std::thread::id> g_hook_thread{};
std::atomic<bool> g_closing{false};

}  // namespace

void process_events() {
    void (*hook)() = g_hook.load(std::memory_order_acquire);
    if (hook == nullptr) {
        return;
    }
    if (g_hook_thread.load(std::memory_order_acquire) != std::this_thread::get_id()) {
        return;
    }
    hook();
}

void set_process_events_hook(void (*hook)()) {
    if (hook == nullptr) {
        g_hook.store(nullptr, std::memory_order_release);
        g_hook_thread.store(std::thread::id{}, std::memory_order_release);
        return;
    }
    // The thread first, so a reader that sees the new hook also sees its owner.
    g_hook_thread.store(std::this_thread::get_id(), std::memory_order_release);
    g_hook.store(hook, std::memory_order_release);
}

void sleep_ms(int32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms < 0 ? 0 : ms));
}

bool program_closing() {
    return g_closing.load(std::memory_order_acquire);
}

void set_program_closing(bool closing) {
    g_closing.store(closing, std::memory_order_release);
}
