// File: text/services.h
// Small process services: dispatching the window's pending events (a hook the window installs,
// a no-op until then), sleeping, and the process-wide closing flag.
#pragma once

#include <cstdint>

// Dispatches the UI thread's waiting events; does nothing until a hook is installed, and nothing
// on any thread other than the one that installed it.
void process_events();

// Installs the event dispatcher of the calling (UI) thread; nullptr removes it.
void set_process_events_hook(void (*hook)());

// Suspends the calling thread; a negative value counts as 0.
void sleep_ms(int32_t ms);

// True once the main window has been closed: waits end at once and transfers are aborted.
[[nodiscard]] bool program_closing();
void set_program_closing(bool closing);
