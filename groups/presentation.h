// File: groups/presentation.h
// The QR presentation cycle: each click on "开始添加微信群" shows the next group of the list with its
// title and its QR image; with "自动切换" ticked the cycle goes on by itself at the chosen interval.
#pragma once

#include <cstdint>

#include "text/text.h"

// One step of the cycle (and, in automatic mode, the rest of the chain), on the UI thread.
void show_next_group();

// Waits ms milliseconds while the window keeps handling its events; returns at once for ms <= 0.
// False when the program is closing (the caller must then leave the window alone).
bool wait_processing_events(int32_t ms);

// The 1-based number of the entry chosen last; 0 at start and after the end has been passed.
[[nodiscard]] int32_t current_index();
// A copy of the entry shown last.
[[nodiscard]] Text current_entry();

// Test seam and exit clean-up: current_index back to 0, current_entry emptied.
void reset_presentation_state();

// Called on the UI thread with true when an automatic chain starts and with false when it ends,
// however it ends (the window uses it to keep the screen from blanking). Nested chains count as
// one. nullptr removes it.
void set_screen_blank_hook(void (*hook)(bool inhibit));
