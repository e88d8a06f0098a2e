// File: tests/support/qt_app.h
// For tests that need the window system: one QApplication per test process and a bounded wait
// that keeps its event loop turning.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

inline QApplication* ensure_qapp() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return app;
    }
    static int argc = 1;
    static char name[] = "queqiao_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);  // lives for the whole test process
}

// Turns the event loop until done() holds or the time is up; returns done().
inline bool wait_for(const std::function<bool()>& done, int timeout_ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeout_ms) {
        // Blocks for events up to 10 ms at a time (no spinning).
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}
