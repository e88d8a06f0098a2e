// File: tests/app/app_test_support.h
// Shared by the window tests: one QApplication per test process, fixture files, temporary
// directories and a bounded wait that keeps the event loop turning.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>

#include "text/text.h"

inline QApplication* ensure_qapp() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return app;
    }
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);  // lives for the whole test process
}

inline Bytes fixture(const std::string& name) {
    QFile file(QString::fromStdString(std::string(QUEQIAO_APP_FIXTURES) + "/" + name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
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

inline QByteArray utf8(const char* s) {
    return QByteArray(s);
}
