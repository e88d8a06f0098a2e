// File: app/qt_window.cpp
// Controls that marshal to the UI thread, and waits that block in a nested event loop ended by a
// precise timer instead of polling.
#include "app/qt_window.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

#include "app/gbk_text.h"
#include "app/main_window.h"
#include "text/services.h"

void QtControls::attach(MainWindow* window) {
    {
        std::lock_guard lock(m_mutex);
        m_window = window;
        m_interval = qstring_to_text(window->interval_edit()->text());
    }
    m_ticked.store(window->auto_switch_box()->isChecked());
    QObject::connect(window->auto_switch_box(), &QCheckBox::toggled, window,
                     [this](bool checked) { m_ticked.store(checked); });
    QObject::connect(window->interval_edit(), &QLineEdit::textChanged, window, [this](const QString& text) {
        Text gbk = qstring_to_text(text);
        std::lock_guard lock(m_mutex);
        m_interval = std::move(gbk);
    });
}

void QtControls::detach(MainWindow* window) {
    std::lock_guard lock(m_mutex);
    if (m_window == window) {
        m_window = nullptr;
    }
}

void QtControls::on_window(std::function<void(MainWindow&)> f) {
    std::unique_lock lock(m_mutex);
    MainWindow* window = m_window;
    if (window == nullptr) {
        return;
    }
    if (QThread::currentThread() == window->thread()) {
        // The window is destroyed only on this thread, so it stays alive through the call.
        lock.unlock();
        f(*window);
        return;
    }
    // Posted under the lock: the window cannot be destroyed meanwhile, and Qt drops the call if
    // it is destroyed before the call is delivered.
    QMetaObject::invokeMethod(
        window, [window, f = std::move(f)] { f(*window); }, Qt::QueuedConnection);
}

void QtControls::set_status(const Text& caption) {
    on_window([caption](MainWindow& w) { w.status_label()->setText(text_to_qstring(caption)); });
}

void QtControls::set_info(const Text& caption) {
    on_window([caption](MainWindow& w) { w.info_label()->setText(text_to_qstring(caption)); });
}

void QtControls::set_picture(const Bytes& data) {
    on_window([data](MainWindow& w) { w.picture1()->set_picture(data); });
}

bool QtControls::auto_switch() const {
    return m_ticked.load();
}

void QtControls::set_auto_switch(bool ticked) {
    m_ticked.store(ticked);
    on_window([ticked](MainWindow& w) { w.auto_switch_box()->setChecked(ticked); });
}

Text QtControls::interval_text() const {
    std::lock_guard lock(m_mutex);
    return m_interval;
}

void QtEventPump::process_events() {
    QCoreApplication::processEvents();
}

uint32_t QtEventPump::tick_count() const {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool QtEventPump::wait_until(uint32_t end) {
    for (;;) {
        if (program_closing()) {
            return false;
        }
        const auto remaining = static_cast<int32_t>(end - tick_count());
        if (remaining < 0) {
            // Passed: events that are waiting now are still handled once, as a wait always does.
            QCoreApplication::processEvents();
            return !program_closing();
        }
        QEventLoop loop;
        // The timer fires at the millisecond of `end`; one more round then sees the clock past it.
        QTimer::singleShot(remaining + 1, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        m_loops.push_back(&loop);
        loop.exec();
        m_loops.erase(std::find(m_loops.begin(), m_loops.end(), &loop));
    }
}

bool QtEventPump::run_blocking(const std::function<void()>& call) {
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        call();
        done.store(true);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    m_loops.push_back(&loop);
    // Repaints go on; clicks and keys wait until the call has finished, then arrive in order.
    while (!done.load() && !program_closing()) {
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    m_loops.erase(std::find(m_loops.begin(), m_loops.end(), &loop));
    // Closing aborts a transfer promptly; the call's arguments live on this stack until it ends.
    worker.join();
    return !program_closing();
}

void QtEventPump::quit_nested_loops() {
    for (QEventLoop* loop : m_loops) {
        loop->quit();
    }
}

QtControls& qt_controls() {
    static QtControls controls;
    return controls;
}

QtEventPump& qt_pump() {
    static QtEventPump pump;
    return pump;
}
