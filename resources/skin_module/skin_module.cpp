// File: resources/skin_module/skin_module.cpp
// The skin library SkinH_EL.dll: one entry point that reads a skin of our ".SHE" format and
// applies its style sheet to the whole application.
#include <QApplication>
#include <QString>
#include <QVariant>

#include "resources/skin_format.h"

namespace {
// Results of SkinH_AttachRes; the program does not look at them, tests do.
constexpr int kAttached = 0;
constexpr int kNoApplication = 1;
constexpr int kNotASkin = 2;
}  // namespace

// Attaches the skin in data[0..size): everything needed is copied during the call, so the caller
// may free the bytes at once. The password and the three numbers are reserved and ignored. An
// empty or malformed resource leaves the plain look.
extern "C" __attribute__((visibility("default"))) int SkinH_AttachRes(const unsigned char* data, int size,
                                                                      const char* password, int, int, int) {
    (void)password;
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr) {
        return kNoApplication;
    }
    // Recorded so that the program's own checks can see what was handed over.
    app->setProperty("skinh_el.length", size);
    const auto skin = she::parse(data, size > 0 ? static_cast<size_t>(size) : 0);
    if (!skin) {
        app->setProperty("skinh_el.name", QString());
        return kNotASkin;
    }
    app->setProperty("skinh_el.name", QString::fromStdString(skin->name));
    app->setProperty("skinh_el.number", skin->number);
    app->setStyleSheet(QString::fromUtf8(skin->sheet.data(), static_cast<qsizetype>(skin->sheet.size())));
    return kAttached;
}
