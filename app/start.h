// File: app/start.h
// The program's entry and end: the program directory made current, the skin attached, the main
// window opened and run, the process-wide values released when it has closed.
#pragma once

#include <cstdint>
#include <memory>

#include "app/main_window.h"

// Runs the whole program on the calling (UI) thread and returns its exit code: 0 once the main
// window has been closed; -1 when the skin library is unusable (the window never opens).
// Environment seams, harmless in use: QUEQIAO_TEST_NONMODAL=1 shows the skin error without
// waiting for it to be dismissed; QUEQIAO_TEST_QUIT_AFTER_START=1 closes the window as soon as it
// has been shown (and prints "queqiao: window shown" on standard output).
[[nodiscard]] int32_t start_program();

// The first start-up step: the program directory made the current directory (a failure is
// ignored), the one QApplication created if none exists, the event hook and the window installed.
void prepare_process();

// Creates the main window, runs its creation handler and shows it.
[[nodiscard]] std::unique_ptr<MainWindow> open_main_window();

// The exit clean-up: current_entry and entry_count_text released.
void exit_clean_up();

// Test seam: every process-wide value of the program back to its start (store, presentation
// state, entry_count_text, closing flag).
void reset_program_for_test();
