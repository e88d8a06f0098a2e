// File: tests/support/fake_window.cpp
// Recording controls and a virtual-clock pump.
#include "support/fake_window.h"

#include "text/search.h"
#include "text/services.h"

void FakeControls::record(std::string what) {
    Event ev{m_clock ? m_clock->tick_count() : 0, std::move(what)};
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(ev);
    }
    if (on_event) {
        on_event(ev);
    }
}

void FakeControls::set_status(const Text& caption) {
    {
        std::lock_guard lock(m_mutex);
        m_status = caption;
    }
    record("status:" + caption);
}

void FakeControls::set_info(const Text& caption) {
    {
        std::lock_guard lock(m_mutex);
        m_info = caption;
    }
    record("info:" + caption);
}

void FakeControls::set_picture(const Bytes& data) {
    {
        std::lock_guard lock(m_mutex);
        m_picture = data;
    }
    record("picture:" + std::to_string(data.size()));
}

bool FakeControls::auto_switch() const {
    std::lock_guard lock(m_mutex);
    return m_ticked;
}

void FakeControls::set_auto_switch(bool ticked) {
    {
        std::lock_guard lock(m_mutex);
        m_ticked = ticked;
    }
    record(ticked ? "tick:1" : "tick:0");
}

Text FakeControls::interval_text() const {
    std::lock_guard lock(m_mutex);
    return m_interval;
}

void FakeControls::user_set_auto_switch(bool ticked) {
    std::lock_guard lock(m_mutex);
    m_ticked = ticked;
}

void FakeControls::user_set_interval(const Text& text) {
    std::lock_guard lock(m_mutex);
    m_interval = text;
}

std::vector<FakeControls::Event> FakeControls::events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<std::string> FakeControls::whats() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> out;
    for (const Event& ev : m_events) {
        out.push_back(ev.what);
    }
    return out;
}

Text FakeControls::status() const {
    std::lock_guard lock(m_mutex);
    return m_status;
}

Text FakeControls::info() const {
    std::lock_guard lock(m_mutex);
    return m_info;
}

Bytes FakeControls::picture() const {
    std::lock_guard lock(m_mutex);
    return m_picture;
}

void FakeControls::clear_events() {
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

void FakePump::at(uint32_t at, std::function<void()> action) { m_actions.emplace(at, std::move(action)); }

void FakePump::run_due() {
    ++m_dispatches;
    // Actions may nest waits that move the clock on; take them one at a time.
    for (;;) {
        auto it = m_actions.begin();
        if (it == m_actions.end() || it->first > m_now) {
            return;
        }
        auto action = std::move(it->second);
        m_actions.erase(it);
        action();
    }
}

void FakePump::process_events() { run_due(); }

bool FakePump::wait_until(uint32_t end) {
    for (;;) {
        if (program_closing()) {
            return false;
        }
        run_due();
        if (program_closing()) {
            return false;
        }
        if (static_cast<int32_t>(m_now - end) > 0) {
            return true;
        }
        uint32_t next = end + 1;
        auto it = m_actions.begin();
        if (it != m_actions.end() && static_cast<int32_t>(it->first - next) < 0) {
            next = std::max(it->first, m_now);
        }
        m_now = next;
    }
}

bool FakePump::run_blocking(const std::function<void()>& call) {
    call();
    m_now += m_blocking_cost;
    return !program_closing();
}

ScopedFakeWindow::ScopedFakeWindow() {
    set_program_closing(false);
    install_window(&controls, &pump);
}

ScopedFakeWindow::~ScopedFakeWindow() {
    install_window(nullptr, nullptr);
    set_program_closing(false);
}
