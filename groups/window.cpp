// File: groups/window.cpp
// The installed controls and pump.
#include "groups/window.h"

#include <atomic>

namespace {
std::atomic<Controls*> g_controls{nullptr};
std::atomic<EventPump*> g_pump{nullptr};
}  // namespace

void install_window(Controls* controls, EventPump* pump) {
    g_controls.store(controls);
    g_pump.store(pump);
}

Controls* window_controls() { return g_controls.load(); }

EventPump* window_pump() { return g_pump.load(); }
