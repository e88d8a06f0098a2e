// File: tests/app/app_test_support.h
// Shared by the window tests: fixture files and UTF-8 byte arrays; the QApplication and the
// bounded wait come from support/qt_app.h.
#pragma once

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <chrono>
#include <string>

#include "support/qt_app.h"
#include "text/text.h"

inline Bytes fixture(const std::string& name) {
    QFile file(QString::fromStdString(std::string(QUEQIAO_APP_FIXTURES) + "/" + name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

inline QByteArray utf8(const char* s) {
    return QByteArray(s);
}
