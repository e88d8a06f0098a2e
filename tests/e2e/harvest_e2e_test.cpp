// File: tests/e2e/harvest_e2e_test.cpp
// A harvest from the real main window (offscreen) against the sample directory on 127.0.0.1:
// the button, the list file byte for byte, the next start-up's count, the first group shown with
// a readable QR code, and closing the window in the middle of a harvest.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMetaObject>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "app/main_window.h"
#include "app/start.h"
#include "groups/store.h"
#include "harvest/harvest.h"
#include "harvest/harvest_support.h"
#include "support/qr_decode.h"
#include "support/qt_app.h"
#include "text/files.h"
#include "text/services.h"
#include "tools/sample_server.h"

namespace {

class HarvestEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        set_program_directory_for_test(m_dir.path().toStdString());
        ensure_qapp();
        prepare_process();
        reset_program_for_test();
        reset_harvest_for_test();
        set_harvest_pause_for_test(10);
        set_harvest_ended_hook([this] {
            std::lock_guard lock(m_mutex);
            ++m_ended;
            m_changed.notify_all();
        });
        SampleDirectoryOptions options;
        options.per_page = 3;
        m_server = std::make_unique<SampleDirectoryServer>(options);
        ASSERT_TRUE(m_server->start("127.0.0.1", 0));
        qputenv("QUEQIAO_DIRECTORY", QByteArray::fromStdString(m_server->host()));
        m_entries = expected_entries(options, m_server->host());
    }
    void TearDown() override {
        m_window.reset();
        m_server->stop();
        set_harvest_ended_hook(nullptr);
        reset_harvest_for_test();
        reset_program_for_test();
        qunsetenv("QUEQIAO_DIRECTORY");
        set_program_directory_for_test({});
    }

    [[nodiscard]] int ended() const {
        std::lock_guard lock(m_mutex);
        return m_ended;
    }
    [[nodiscard]] std::string list_file() const { return read_whole_file(m_dir.path().toStdString() + "/weiqun.txt"); }
    static QPushButton* button(MainWindow& w, const char16_t* name) {
        return w.findChild<QPushButton*>(QString::fromUtf16(name));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<SampleDirectoryServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    std::vector<std::string> m_entries;  // what the directory holds, UTF-8
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_ended = 0;
};

TEST_F(HarvestEndToEnd, HarvestThenShowTheFirstGroup) {
    m_window = open_main_window();
    QPushButton* harvest = button(*m_window, u"按钮1");
    ASSERT_NE(harvest, nullptr);
    EXPECT_EQ(harvest->text(), QStringLiteral("获取最新微群"));
    harvest->click();
    ASSERT_TRUE(wait_for([this] { return ended() == 1; }, 120000));
    EXPECT_EQ(list_file(), list_file_of(m_entries));  // GBK, CR LF, 30 lines

    // The queued captions and picture have all arrived: the last group is what the window shows.
    ASSERT_TRUE(wait_for(
        [this] { return m_window->status_label()->text().startsWith(QStringLiteral("当前正才获取第10页，第3条")); },
        5000));
    EXPECT_EQ(m_window->status_label()->text(), QStringLiteral("当前正才获取第10页，第3条数据，请耐心等待！"));
    EXPECT_EQ(m_window->info_label()->text(), QString::fromStdString(sample_group(10, 3).title));
    EXPECT_EQ(decode_qr_image(m_window->picture1()->grab().toImage()),
              std::vector<std::string>{join_address(sample_group(10, 3).id)});

    // The next start-up reads the new list.
    m_window.reset();
    reset_program_for_test();
    m_window = open_main_window();
    EXPECT_TRUE(m_window->status_label()->text().contains(QStringLiteral("共30条")))
        << m_window->status_label()->text().toStdString();
    QPushButton* next = button(*m_window, u"按钮2");
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->text(), QStringLiteral("开始添加微信群"));
    next->click();
    ASSERT_TRUE(wait_for(
        [this] { return m_window->info_label()->text() == QString::fromStdString(sample_group(1, 1).title); }, 10000));
    ASSERT_TRUE(wait_for([this] { return !decode_qr_image(m_window->picture1()->grab().toImage()).empty(); }, 10000));
    EXPECT_EQ(decode_qr_image(m_window->picture1()->grab().toImage()),
              std::vector<std::string>{join_address(sample_group(1, 1).id)});
}

TEST_F(HarvestEndToEnd, SecondClickWhileHarvestingDoesNothing) {
    m_window = open_main_window();
    QPushButton* harvest = button(*m_window, u"按钮1");
    harvest->click();
    harvest->click();
    ASSERT_TRUE(wait_for([this] { return ended() >= 1; }, 120000));
    EXPECT_EQ(list_file(), list_file_of(m_entries));
    EXPECT_EQ(ended(), 1);
}

// Closing the window while page 2 is being harvested: start_program returns 0 at once, the worker
// ends without saving again, and the file holds page 1 whole.
TEST_F(HarvestEndToEnd, ClosingDuringAHarvestExitsZeroAndKeepsTheLastSavedPage) {
    // Hold the QR download of page 2, item 2 until the window has closed.
    const std::string held = "/qr/" + std::to_string(sample_group(2, 2).id) + ".png";
    m_server->set_request_hook([&held](const std::string& target) {
        if (target != held) {
            return;
        }
        // Returns once the window has handled its close: the closing flag is set by then.
        QMetaObject::invokeMethod(
            qApp, [] { main_window()->close(); }, Qt::BlockingQueuedConnection);
    });
    QTimer::singleShot(0, [] { main_window()->harvest_button()->click(); });
    EXPECT_EQ(start_program(), 0);
    {
        std::unique_lock lock(m_mutex);
        ASSERT_TRUE(m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_ended == 1; }));
    }
    EXPECT_EQ(list_file(), list_file_of({m_entries.begin(), m_entries.begin() + 3}));
    EXPECT_LT(page_no(), 3);
}

}  // namespace
