// File: tests/e2e/presentation_e2e_test.cpp
// The presentation cycle in the real window, offscreen, with the real event pump and a loopback
// server serving QR pictures made at test time: the code on 图片框1 decodes to the group's
// address; a download keeps the window painting; closing during a chain ends the program with 0.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/start.h"
#include "groups/presentation.h"
#include "http/request.h"
#include "support/qr_decode.h"
#include "support/recording_server.h"
#include "text/files.h"
#include "text/services.h"
#include "tools/qr_png.h"

namespace {

const QString kManualText = QString::fromUtf8("已切成功啦！请扫描进群吧！");
const QString kAutomaticText = QString::fromUtf8("您选择了自动模式，将自动切换下一个微信群，请尽快扫描!");
// 微信群 in GBK: the titles of the list file.
const std::string kTitleGbk = "\xce\xa2\xd0\xc5\xc8\xba";

std::string bytes_string(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

// A picture served at path whose QR code holds the picture's own address.
std::string serve_qr(RecordingServer& server, const std::string& path) {
    const std::string address = server.url(path);
    Response png;
    png.headers = {{"Content-Type", "image/png"}};
    png.body = bytes_string(make_qr_png(address));
    server.route(path, png);
    return address;
}

std::string request_line(const std::string& raw) {
    return raw.substr(0, raw.find("\r\n"));
}

std::vector<std::string> qr_on_panel(const MainWindow& w) {
    return decode_qr_image(w.picture1()->grab().toImage());
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

class PresentationE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        set_program_directory_for_test(m_dir.path().toStdString());
        prepare_process();  // the QApplication, the event hook and the real controls and pump
        reset_program_for_test();
    }
    void TearDown() override {
        m_window.reset();
        reset_program_for_test();
        reset_http_timeouts_for_test();
        set_program_directory_for_test({});
    }

    void write_list(const std::string& bytes) const {
        std::ofstream(m_dir.path().toStdString() + "/weiqun.txt", std::ios::binary) << bytes;
    }

    QTemporaryDir m_dir;
    RecordingServer m_server;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(PresentationE2eTest, QrFixtureDecodesBackToItsText) {
    const std::string text = "http://127.0.0.1:8/qr/1.png";
    const Bytes png = make_qr_png(text);
    const QImage image = QImage::fromData(png.data(), static_cast<int>(png.size()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(decode_qr_image(image), std::vector<std::string>{text});
    // A picture without a code gives nothing.
    QImage blank(200, 200, QImage::Format_Grayscale8);
    blank.fill(255);
    EXPECT_TRUE(decode_qr_image(blank).empty());
}

TEST_F(PresentationE2eTest, EachClickShowsTheGroupsQrCode) {
    const std::string first = serve_qr(m_server, "/qr/1.png");
    const std::string second = serve_qr(m_server, "/qr/2.png");
    write_list(kTitleGbk + "1|" + first + "\r\n" + kTitleGbk + "2|x|" + second + "\r\n");
    m_window = open_main_window();
    MainWindow& w = *m_window;

    struct Step {
        std::string address, path;
        QString title;
    };
    const Step steps[] = {{first, "/qr/1.png", QString::fromUtf8("微信群1")},
                          {second, "/qr/2.png", QString::fromUtf8("微信群2")}};
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE(steps[i].address);
        w.next_button()->click();  // the whole step, its 500 ms pause included
        EXPECT_EQ(current_index(), static_cast<int32_t>(i + 1));
        EXPECT_EQ(w.info_label()->text(), steps[i].title);
        EXPECT_EQ(w.status_label()->text(), kManualText);
        ASSERT_EQ(m_server.requests().size(), i + 1);
        EXPECT_EQ(request_line(m_server.requests()[i]), "GET " + steps[i].path + " HTTP/1.0");
        EXPECT_EQ(qr_on_panel(w), std::vector<std::string>{steps[i].address});
    }

    // Past the end: the box is unticked and the picture stays.
    w.next_button()->click();
    EXPECT_EQ(current_index(), 0);
    EXPECT_EQ(qr_on_panel(w), std::vector<std::string>{second});
}

// The download runs beside the UI thread: timers fire and the window repaints meanwhile, and the
// time-outs bound a server that never answers.
TEST_F(PresentationE2eTest, WindowPaintsDuringAStalledDownloadThatTimesOut) {
    Response stalled;
    stalled.stall_before_headers = true;
    m_server.route("/stalled.png", stalled);
    HttpTimeouts timeouts = http_timeouts();
    timeouts.image_total = std::chrono::milliseconds(1500);
    set_http_timeouts_for_test(timeouts);
    write_list(kTitleGbk + "1|" + m_server.url("/stalled.png") + "\r\n");
    m_window = open_main_window();
    MainWindow& w = *m_window;
    PaintCounter counter;
    w.info_label()->installEventFilter(&counter);

    int paints_seen_during_download = -1;
    QTimer::singleShot(200, &w, [&] { w.info_label()->update(); });
    QTimer::singleShot(800, &w, [&] {
        // The server still holds the request; the step has not got past its download.
        EXPECT_EQ(m_server.requests().size(), 1u);
        EXPECT_EQ(w.status_label()->text().left(5), QString::fromUtf8("现在正打开"));
        paints_seen_during_download = counter.paints;
    });
    QElapsedTimer clock;
    clock.start();
    w.next_button()->click();
    const qint64 took = clock.elapsed();

    EXPECT_GT(paints_seen_during_download, 0);
    EXPECT_GE(took, 1500 + 500 - 100);  // the time-out, then the pause
    EXPECT_LT(took, 15000);
    EXPECT_TRUE(w.picture1()->picture().isNull());
    EXPECT_EQ(w.status_label()->text(), kManualText);
    w.info_label()->removeEventFilter(&counter);
}

// What the test's screen-blank hook saw, and the window to close once the chain goes automatic.
std::vector<bool> g_blank_calls;
void close_when_chain_starts(bool inhibit) {
    g_blank_calls.push_back(inhibit);
    if (inhibit) {
        QTimer::singleShot(100, main_window(), &QWidget::close);
    }
}

// The whole program: a chain with a one-minute interval, the window closed during that interval.
TEST_F(PresentationE2eTest, ClosingDuringAnIntervalEndsTheChainAndTheProgramWithZero) {
    const std::string first = serve_qr(m_server, "/qr/1.png");
    const std::string second = serve_qr(m_server, "/qr/2.png");
    write_list(kTitleGbk + "1|" + first + "\r\n" + kTitleGbk + "2|" + second + "\r\n");
    g_blank_calls.clear();
    QString status_after_click;
    QTimer::singleShot(0, [&] {
        MainWindow* w = main_window();
        ASSERT_NE(w, nullptr);
        set_screen_blank_hook(&close_when_chain_starts);
        w->interval_edit()->setText(QStringLiteral("60000"));
        w->auto_switch_box()->setChecked(true);
        w->next_button()->click();
        status_after_click = w->status_label()->text();
    });
    QElapsedTimer clock;
    clock.start();
    const int32_t code = start_program();
    const qint64 took = clock.elapsed();

    EXPECT_EQ(code, 0);
    EXPECT_LT(took, 30000);  // far from the minute the interval asked for
    EXPECT_EQ(status_after_click, kAutomaticText);
    EXPECT_EQ(m_server.requests().size(), 1u);  // no second step
    EXPECT_EQ(g_blank_calls, (std::vector<bool>{true, false}));
    EXPECT_TRUE(program_closing());
    set_screen_blank_hook(nullptr);
}

}  // namespace
