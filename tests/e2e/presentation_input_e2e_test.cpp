// File: tests/e2e/presentation_input_e2e_test.cpp
// Real user input during a download: on a private Xvfb display (Unix socket only), clicks on
// 按钮2 sent with xdotool while a step's download hangs are handled once it has ended, in order.
// Needs its own process: the window system must be chosen before the one QApplication exists.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/start.h"
#include "groups/presentation.h"
#include "http/request.h"
#include "support/qt_app.h"
#include "support/recording_server.h"
#include "text/files.h"
#include "tools/qr_png.h"

extern char** environ;

namespace {

// An Xvfb server on the first free display, for the life of the object.
class PrivateDisplay {
public:
    PrivateDisplay() {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        char* argv[] = {
            const_cast<char*>("Xvfb"),      const_cast<char*>("-displayfd"), const_cast<char*>("3"),
            const_cast<char*>("-screen"),   const_cast<char*>("0"),          const_cast<char*>("1024x768x24"),
            const_cast<char*>("-nolisten"), const_cast<char*>("tcp"),        nullptr};
        if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv, environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        // Xvfb writes the display number once it accepts connections; wait at most 10 s for it.
        std::string number;
        pollfd pfd{fds[0], POLLIN, 0};
        while (m_pid > 0 && poll(&pfd, 1, 10000) > 0) {
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n') {
                break;
            }
            number += c;
        }
        close(fds[0]);
        if (!number.empty()) {
            m_name = ":" + number;
        }
    }
    ~PrivateDisplay() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    const std::string& name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

bool have_program(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Records when the button receives presses, in milliseconds of the test's clock.
class PressClock : public QObject {
public:
    explicit PressClock(const QElapsedTimer& clock) : m_clock(clock) {}
    std::vector<qint64> presses;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            presses.push_back(m_clock.elapsed());
        }
        return false;
    }

private:
    const QElapsedTimer& m_clock;
};

TEST(PresentationInputE2eTest, ClicksDuringADownloadAreHandledAfterItInOrder) {
    if (!have_program("Xvfb") || !have_program("xdotool")) {
        GTEST_SKIP() << "Xvfb or xdotool is missing";
    }
    PrivateDisplay display;
    ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", display.name().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    QTemporaryDir dir;
    set_program_directory_for_test(dir.path().toStdString());
    prepare_process();
    reset_program_for_test();

    RecordingServer server;
    Response stalled;
    stalled.stall_before_headers = true;
    server.route("/stalled.png", stalled);
    std::string list = "a|" + server.url("/stalled.png") + "\r\n";
    for (const char* path : {"/qr/2.png", "/qr/3.png"}) {
        Response png;
        const Bytes bytes = make_qr_png(server.url(path));
        png.body.assign(bytes.begin(), bytes.end());
        server.route(path, png);
        list += std::string("g|") + server.url(path) + "\r\n";
    }
    std::ofstream(dir.path().toStdString() + "/weiqun.txt", std::ios::binary) << list;
    const int kTimeoutMs = 2000;
    HttpTimeouts timeouts = http_timeouts();
    timeouts.image_total = std::chrono::milliseconds(kTimeoutMs);
    set_http_timeouts_for_test(timeouts);

    std::unique_ptr<MainWindow> window = open_main_window();
    window->move(0, 0);
    QElapsedTimer clock;
    PressClock presses(clock);
    window->next_button()->installEventFilter(&presses);
    wait_for([&] { return window->windowHandle() && window->windowHandle()->isExposed(); });
    ASSERT_TRUE(window->windowHandle()->isExposed());

    const QPoint target = window->next_button()->mapToGlobal(window->next_button()->rect().center());
    int32_t index_while_downloading = -1;
    qint64 clicks_sent_at = -1;
    QTimer::singleShot(300, window.get(), [&] {
        // Two clicks by the user while the first step's download hangs.
        const std::string command = "xdotool mousemove --sync " + std::to_string(target.x()) + " " +
                                    std::to_string(target.y()) + " click --repeat 2 --delay 150 1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        clicks_sent_at = clock.elapsed();
    });
    QTimer::singleShot(kTimeoutMs - 300, window.get(), [&] { index_while_downloading = current_index(); });

    clock.start();
    window->next_button()->click();  // the first step, with the nested steps the clicks start

    EXPECT_GT(clicks_sent_at, 0);
    EXPECT_EQ(index_while_downloading, 1);  // the clicks were held back during the download
    ASSERT_EQ(presses.presses.size(), 2u);
    EXPECT_GE(presses.presses[0], kTimeoutMs - 100);
    EXPECT_LE(presses.presses[0], presses.presses[1]);
    EXPECT_EQ(current_index(), 3);
    const std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")), "GET /stalled.png HTTP/1.0");
    EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n")), "GET /qr/2.png HTTP/1.0");
    EXPECT_EQ(requests[2].substr(0, requests[2].find("\r\n")), "GET /qr/3.png HTTP/1.0");

    window->next_button()->removeEventFilter(&presses);
    window.reset();
    reset_program_for_test();
    reset_http_timeouts_for_test();
    set_program_directory_for_test({});
}

}  // namespace
