// File: tests/support/fake_window.h
// Fakes of the window's controls and event pump for the cycle and worker tests: the controls
// record every change with the virtual time it happened at; the pump runs on a virtual clock and
// fires scheduled actions (clicks, ticking the box, closing) at exact moments of a wait.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "groups/window.h"

class FakePump;

class FakeControls : public Controls {
public:
    struct Event {
        uint32_t at;       // virtual time (0 when no pump is attached)
        std::string what;  // "status:<text>", "info:<text>", "picture:<byte count>", "tick:<0|1>"
    };

    explicit FakeControls(const FakePump* clock = nullptr) : m_clock(clock) {}

    void set_status(const Text& caption) override;
    void set_info(const Text& caption) override;
    void set_picture(const Bytes& data) override;
    [[nodiscard]] bool auto_switch() const override;
    void set_auto_switch(bool ticked) override;
    [[nodiscard]] Text interval_text() const override;

    // What a user does: ticks or unticks the box (not logged), types into the interval box.
    void user_set_auto_switch(bool ticked);
    void user_set_interval(const Text& text);

    [[nodiscard]] std::vector<Event> events() const;
    [[nodiscard]] std::vector<std::string> whats() const;  // events() without the times
    [[nodiscard]] Text status() const;
    [[nodiscard]] Text info() const;
    [[nodiscard]] Bytes picture() const;
    void clear_events();

    // Called (outside the lock) after each recorded event; the worker tests use it to act at a moment.
    std::function<void(const Event&)> on_event;

private:
    void record(std::string what);

    const FakePump* m_clock;
    mutable std::mutex m_mutex;
    std::vector<Event> m_events;
    Text m_status, m_info, m_interval = "5000";
    Bytes m_picture;
    bool m_ticked = false;
};

class FakePump : public EventPump {
public:
    void process_events() override;
    [[nodiscard]] uint32_t tick_count() const override { return m_now; }
    bool wait_until(uint32_t end) override;
    bool run_blocking(const std::function<void()>& call) override;

    // Runs action the first time events are dispatched at or after virtual time `at`.
    void at(uint32_t at, std::function<void()> action);
    // Virtual milliseconds each blocking call (a download) takes.
    void set_blocking_cost(uint32_t ms) { m_blocking_cost = ms; }
    void set_now(uint32_t now) { m_now = now; }
    // How many times events were dispatched (process_events and wait rounds).
    [[nodiscard]] int dispatch_count() const { return m_dispatches; }

private:
    void run_due();

    uint32_t m_now = 0;
    uint32_t m_blocking_cost = 0;
    int m_dispatches = 0;
    std::multimap<uint32_t, std::function<void()>> m_actions;
};

// Installs fakes for one test and removes them (and the closing flag) when it ends.
class ScopedFakeWindow {
public:
    ScopedFakeWindow();
    ~ScopedFakeWindow();
    FakePump pump;
    FakeControls controls{&pump};
};
