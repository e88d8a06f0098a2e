// File: app/screensaver.cpp
// The org.freedesktop.ScreenSaver Inhibit / UnInhibit pair over Qt's D-Bus module.
#include "app/screensaver.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QString>
#include <cstdlib>

namespace {

uint g_cookie = 0;
bool g_inhibited = false;

// Only an existing session bus: never start one (dbus autolaunch) just for this.
bool session_bus_present() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address != nullptr && *address != '\0') {
        return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && QFile::exists(QString::fromLocal8Bit(runtime) + QStringLiteral("/bus"));
}

}  // namespace

void set_screen_blank_inhibited(bool inhibited) {
    if (inhibited == g_inhibited || !session_bus_present()) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusInterface saver(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                         QStringLiteral("org.freedesktop.ScreenSaver"), bus);
    saver.setTimeout(1000);
    if (inhibited) {
        QDBusReply<uint> reply =
            saver.call(QStringLiteral("Inhibit"), QStringLiteral("queqiao"), QString::fromUtf8("正在自动切换群二维码"));
        if (reply.isValid()) {
            g_cookie = reply.value();
            g_inhibited = true;
        }
    } else {
        saver.call(QStringLiteral("UnInhibit"), g_cookie);
        g_inhibited = false;
    }
}
