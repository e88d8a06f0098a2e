// File: groups/window.h
// The two small interfaces through which the presentation cycle and the harvest worker drive the
// main window: its controls and its event pump. The window implements them; tests fake them.
#pragma once

#include <cstdint>
#include <functional>

#include "text/text.h"

// The controls the cycle and the worker use. Setters may be called from any thread (the window
// queues calls from other threads to its own, in order); auto_switch() reads a mirror that is safe
// from any thread; set_auto_switch() and interval_text() are for the UI thread.
class Controls {
public:
    virtual ~Controls() = default;
    virtual void set_status(const Text& caption) = 0;  // 提示
    virtual void set_info(const Text& caption) = 0;    // 信息
    virtual void set_picture(const Bytes& data) = 0;   // 图片框1 (empty or undecodable: cleared)
    [[nodiscard]] virtual bool auto_switch() const = 0;  // 选择框1 ticked?
    virtual void set_auto_switch(bool ticked) = 0;
    [[nodiscard]] virtual Text interval_text() const = 0;  // 编辑框2, as GBK
};

// The UI thread's event pump. Each wait and blocking call reports false when the program is closing.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Dispatches the events waiting now, then returns.
    virtual void process_events() = 0;
    // Monotonic milliseconds, wrapping at 2^32.
    [[nodiscard]] virtual uint32_t tick_count() const = 0;
    // Dispatches events, blocking in between, until tick_count() has passed end (compared with
    // wrap-around); returns at once with false when the program is closing.
    virtual bool wait_until(uint32_t end) = 0;
    // Runs call to its end while the window keeps repainting; user input that arrives meanwhile is
    // handled afterwards, in order. False when the program started closing meanwhile.
    virtual bool run_blocking(const std::function<void()>& call) = 0;
};

// The window the cycle and the worker talk to; installed by the window at start-up, by tests with fakes.
void install_window(Controls* controls, EventPump* pump);
[[nodiscard]] Controls* window_controls();
[[nodiscard]] EventPump* window_pump();
