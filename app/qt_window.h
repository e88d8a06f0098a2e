// File: app/qt_window.h
// The window's side of the two interfaces of groups/window.h: the controls, callable from any
// thread (calls off the UI thread are queued to it in order), and the UI thread's event pump.
#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "groups/window.h"

class MainWindow;
class QEventLoop;

class QtControls : public Controls {
public:
    void set_status(const Text& caption) override;
    void set_info(const Text& caption) override;
    void set_picture(const Bytes& data) override;
    [[nodiscard]] bool auto_switch() const override;
    void set_auto_switch(bool ticked) override;
    [[nodiscard]] Text interval_text() const override;

    // The window to drive; calls made while none is attached are dropped.
    void attach(MainWindow* window);
    void detach(MainWindow* window);

private:
    // Runs f on the window's thread: at once when called there, else queued behind earlier calls.
    void on_window(std::function<void(MainWindow&)> f);

    mutable std::mutex m_mutex;
    MainWindow* m_window = nullptr;
    std::atomic<bool> m_ticked{false};  // mirror of 选择框1, kept by the UI thread
    Text m_interval;                    // mirror of 编辑框2 as GBK, under m_mutex
};

class QtEventPump : public EventPump {
public:
    void process_events() override;
    [[nodiscard]] uint32_t tick_count() const override;
    bool wait_until(uint32_t end) override;
    bool run_blocking(const std::function<void()>& call) override;

    // Ends every nested loop a wait or a blocking call is running (the window is closing).
    void quit_nested_loops();

private:
    std::vector<QEventLoop*> m_loops;  // UI thread only
};

// The process-wide instances, installed at start-up; they outlive the window.
QtControls& qt_controls();
QtEventPump& qt_pump();
