// File: tests/app/window_test.cpp
// The main window in-process and offscreen: its layout, the start-up status line, captions at
// the text edges, the controls and pump implementations, the skin calls and the exit code.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTimer>
#include <fstream>
#include <optional>
#include <set>
#include <thread>

#include "app/gbk_text.h"
#include "app/main_window.h"
#include "app/picture_decode.h"
#include "app/qt_window.h"
#include "app/skin.h"
#include "app/start.h"
#include "app_test_support.h"
#include "groups/list_file.h"
#include "groups/presentation.h"
#include "groups/store.h"
#include "harvest/harvest.h"
#include "resources/embedded.h"
#include "resources/skin_format.h"
#include "text/files.h"
#include "text/search.h"
#include "text/services.h"

namespace {

// 恭喜导入数据成功啦！共 … 条，点击开始获取开始工作！ in GBK, byte for byte.
Text imported_status(const char* count) {
    return Text("\xb9\xa7\xcf\xb2\xb5\xbc\xc8\xeb\xca\xfd\xbe\xdd\xb3\xc9\xb9\xa6\xc0\xb2\xa3\xa1\xb9\xb2") + count +
           "\xcc\xf5\xa3\xac\xb5\xe3\xbb\xf7\xbf\xaa\xca\xbc\xbb\xf1\xc8\xa1\xbf\xaa\xca\xbc\xb9\xa4\xd7\xf7\xa3\xa1";
}

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir();
        set_program_directory_for_test(s_dir->path().toStdString());
        ensure_qapp();
        prepare_process();
        ASSERT_TRUE(apply_skin(13));
    }
    static void TearDownTestSuite() {
        set_program_directory_for_test({});
        delete s_dir;
    }

    void SetUp() override {
        reset_program_for_test();
        std::remove(list_path().c_str());
    }
    void TearDown() override {
        m_window.reset();
        reset_program_for_test();
    }

    static std::string list_path() { return s_dir->path().toStdString() + "/weiqun.txt"; }
    static void write_list(const std::string& bytes) { std::ofstream(list_path(), std::ios::binary) << bytes; }

    MainWindow& open() {
        m_window = open_main_window();
        return *m_window;
    }

    template <class W>
    W* child(const char16_t* name) {
        return m_window->findChild<W*>(QString::fromUtf16(name));
    }

    static QTemporaryDir* s_dir;
    std::unique_ptr<MainWindow> m_window;
};

QTemporaryDir* WindowTest::s_dir = nullptr;

TEST_F(WindowTest, LayoutMatchesTheTable) {
    MainWindow& w = open();
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("鹊桥扫码通1.0.2"));
    EXPECT_EQ(w.size(), QSize(791, 581));
    EXPECT_EQ(w.minimumSize(), QSize(791, 581));
    EXPECT_EQ(w.maximumSize(), QSize(791, 581));

    struct Row {
        const char16_t* name;
        const char* kind;
        const char16_t* parent;
        QRect geometry;
        const char* text;
    };
    const Row rows[] = {
        {u"图片框2", "PicturePanel", u"主窗口", {472, 72, 280, 256}, ""},
        {u"分组框1", "QGroupBox", u"主窗口", {432, 408, 344, 45}, ""},
        {u"编辑框2", "QLineEdit", u"分组框1", {241, 15, 40, 24}, "5000"},
        {u"标签1", "QLabel", u"分组框1", {183, 14, 56, 24}, "切换间隔："},
        {u"选择框1", "QCheckBox", u"分组框1", {72, 14, 72, 24}, "自动切换"},
        {u"按钮2", "QPushButton", u"主窗口", {440, 480, 136, 56}, "开始添加微信群"},
        {u"提示", "QLabel", u"主窗口", {432, 16, 352, 32}, "恭喜导入数据成功啦！共0条，点击开始获取开始工作！"},
        {u"信息", "QLabel", u"主窗口", {8, 9, 416, 32}, ""},
        {u"图片框1", "PicturePanel", u"主窗口", {8, 49, 416, 495}, ""},
        {u"按钮1", "QPushButton", u"主窗口", {616, 480, 128, 56}, "获取最新微群"},
    };
    for (const Row& row : rows) {
        const QString name = QString::fromUtf16(row.name);
        SCOPED_TRACE(name.toStdString());
        auto* widget = w.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(row.kind));
        EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromUtf16(row.parent));
        EXPECT_EQ(widget->geometry(), row.geometry);
        EXPECT_TRUE(widget->isVisible());
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
            EXPECT_EQ(label->textFormat(), Qt::PlainText);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            text = edit->text();
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            text = box->title();
        }
        EXPECT_EQ(text, QString::fromUtf8(row.text));
    }
    // The store is the groups object: there is no 编辑框1, hence nothing of it to see.
    EXPECT_EQ(w.findChild<QWidget*>(QStringLiteral(u"编辑框1")), nullptr);
    EXPECT_FALSE(child<QCheckBox>(u"选择框1")->isChecked());
    auto* interval = child<QLineEdit>(u"编辑框2");
    EXPECT_EQ(interval->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(interval->validator(), nullptr);
    EXPECT_EQ(interval->inputMask(), QString());
    EXPECT_EQ(w.picture1()->display_mode(), 2);
    EXPECT_EQ(w.picture2()->display_mode(), 2);
}

TEST_F(WindowTest, BuiltInPictureIsA512JpegDrawnShrunkInPanelTwo) {
    MainWindow& w = open();
    const auto jpeg = embedded_picture();
    ASSERT_GE(jpeg.size(), 8u);
    EXPECT_EQ(recognise_picture(jpeg), PictureFormat::Jpeg);
    EXPECT_EQ(w.picture2()->picture().size(), QSize(512, 512));
    EXPECT_EQ(place_picture(2, w.picture2()->size(), QSize(512, 512)), QRect(12, 0, 256, 256));
    EXPECT_TRUE(w.picture1()->picture().isNull());
}

TEST_F(WindowTest, StatusLineReportsTheCountByteForByte) {
    struct Case {
        const char* what;
        std::optional<std::string> file;
        const char* count;
        std::string store;
    };
    std::string entries;
    for (int i = 1; i <= 25; ++i) {
        entries += "t" + std::to_string(i) + "|http://127.0.0.1/" + std::to_string(i) + ".png\r\n";
    }
    const Case cases[] = {
        {"no file", std::nullopt, "0", ""},
        {"an empty file", std::string(), "0", ""},
        {"25 entries ended by CR LF", entries, "25", entries},
        {"a NUL after the first line", std::string("a|u1\r\n\0b|u2\r\n", 14), "1", "a|u1\r\n"},
        {"a last line without a line end", "a|u1\nb|u2", "2", "a|u1\nb|u2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(list_path().c_str());
        if (c.file) {
            write_list(*c.file);
        }
        MainWindow& w = open();
        EXPECT_EQ(group_store().read(), c.store);
        EXPECT_EQ(entry_count_text(), c.count);
        EXPECT_EQ(qstring_to_text(w.status_label()->text()), imported_status(c.count));
        m_window.reset();
    }
}

TEST_F(WindowTest, CountLinesCountsLineFeedsOnly) {
    const std::pair<const char*, int32_t> cases[] = {
        {"", 0},     {"a", 1},    {"a\r\n", 1}, {"a\r\nb", 2}, {"a\r\nb\r\n", 2},
        {"\r\n", 1}, {"a\nb", 2}, {"a\rb", 1},  {"\n\n", 2},
    };
    for (const auto& [text, lines] : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        EXPECT_EQ(count_lines(text), lines);
    }
}

TEST_F(WindowTest, CaptionsArePlainTextDecodedFromGbk) {
    MainWindow& w = open();
    qt_controls().set_info("<b>x</b>");
    EXPECT_EQ(w.info_label()->text(), QStringLiteral("<b>x</b>"));
    qt_controls().set_status("\xd6\xd0\xce\xc4");  // 中文
    EXPECT_EQ(w.status_label()->text(), QString::fromUtf8("中文"));
    // A lone lead byte at the end and a broken pair each show U+FFFD.
    EXPECT_EQ(text_to_qstring("a\x81"), QString::fromUtf8("a\xef\xbf\xbd"));
    EXPECT_TRUE(text_to_qstring("\x81\x20").contains(QChar(0xfffd)));
}

TEST_F(WindowTest, FullWidthDigitsTypedIntoTheIntervalReadBackAsGbk) {
    MainWindow& w = open();
    QLineEdit* edit = w.interval_edit();
    edit->setFocus();
    edit->selectAll();
    for (const char* ch : {"５", "０", "０", "０"}) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(ch));
        QApplication::sendEvent(edit, &key);
    }
    EXPECT_EQ(edit->text(), QString::fromUtf8("５０００"));
    const Text typed = qt_controls().interval_text();
    EXPECT_EQ(typed, "\xa3\xb5\xa3\xb0\xa3\xb0\xa3\xb0");
    EXPECT_EQ(text_to_int(typed), 5000);
    // Anything may be typed: no validator in the way.
    edit->setText(QStringLiteral("-5abc"));
    EXPECT_EQ(qt_controls().interval_text(), "-5abc");
}

TEST_F(WindowTest, CallsFromAnotherThreadArriveInOrder) {
    MainWindow& w = open();
    std::thread worker([] {
        qt_controls().set_status("1");
        qt_controls().set_info("t");
        qt_controls().set_picture(fixture("red_blue.png"));
        qt_controls().set_status("2");
    });
    worker.join();
    // Nothing has been applied yet: the calls wait for the UI thread.
    EXPECT_NE(w.status_label()->text(), QStringLiteral("2"));
    EXPECT_TRUE(wait_for([&] { return w.status_label()->text() == QStringLiteral("2"); }));
    EXPECT_EQ(w.info_label()->text(), QStringLiteral("t"));
    EXPECT_EQ(w.picture1()->picture().size(), QSize(8, 6));
}

TEST_F(WindowTest, AutoSwitchMirrorFollowsTheBox) {
    MainWindow& w = open();
    EXPECT_FALSE(qt_controls().auto_switch());
    w.auto_switch_box()->click();
    EXPECT_TRUE(qt_controls().auto_switch());
    qt_controls().set_auto_switch(false);
    EXPECT_FALSE(w.auto_switch_box()->isChecked());
    EXPECT_FALSE(qt_controls().auto_switch());
}

TEST_F(WindowTest, WaitBlocksUntilItsEndAndClosingEndsItAtOnce) {
    MainWindow& w = open();
    QtEventPump& pump = qt_pump();
    uint32_t end = pump.tick_count() + 30;
    EXPECT_TRUE(pump.wait_until(end));
    EXPECT_GT(static_cast<int32_t>(pump.tick_count() - end), 0);

    // Closing the window in the middle of a ten-minute wait ends it at once.
    QTimer::singleShot(20, &w, &QWidget::close);
    const uint32_t start = pump.tick_count();
    EXPECT_FALSE(pump.wait_until(start + 600000));
    EXPECT_LT(pump.tick_count() - start, 10000u);
    EXPECT_TRUE(program_closing());
}

TEST_F(WindowTest, BlockingCallRunsWhileTheWindowRepaints) {
    open();
    std::atomic<bool> ran_elsewhere{false};
    const auto ui = std::this_thread::get_id();
    EXPECT_TRUE(qt_pump().run_blocking([&] { ran_elsewhere = std::this_thread::get_id() != ui; }));
    EXPECT_TRUE(ran_elsewhere);
}

TEST_F(WindowTest, NextButtonShowsTheFirstGroup) {
    // 127.0.0.1 port 1 refuses: the picture download fails fast and the panel stays empty.
    write_list("first|http://127.0.0.1:1/a.png\r\nsecond|http://127.0.0.1:1/b.png\r\n");
    MainWindow& w = open();
    w.next_button()->click();
    EXPECT_EQ(current_index(), 1);
    EXPECT_EQ(w.info_label()->text(), QStringLiteral("first"));
}

TEST_F(WindowTest, HarvestButtonStartsTheWorker) {
    write_list("old|http://127.0.0.1:1/a.png\r\n");
    qputenv("QUEQIAO_DIRECTORY", "127.0.0.1:1");
    std::atomic<bool> ended{false};
    set_harvest_ended_hook([&] { ended = true; });
    MainWindow& w = open();
    w.harvest_button()->click();
    EXPECT_TRUE(group_store().empty());  // emptied by the click
    EXPECT_TRUE(wait_for([&] { return ended.load(); }, 60000));
    reset_harvest_for_test();
    qunsetenv("QUEQIAO_DIRECTORY");
}

TEST_F(WindowTest, SkinsAreWellFormedAndDistinct) {
    std::set<std::string> sheets;
    for (int n = 1; n <= 33; ++n) {
        SCOPED_TRACE(n);
        const auto bytes = embedded_skin(n);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), ".SHE");
        const auto skin = she::parse(bytes.data(), bytes.size());
        ASSERT_TRUE(skin.has_value());
        EXPECT_EQ(skin->number, n);
        EXPECT_TRUE(sheets.insert(skin->sheet).second);
    }
    EXPECT_TRUE(embedded_skin(0).empty());
    EXPECT_TRUE(embedded_skin(34).empty());
}

// Qt's complaints about a style sheet, collected while skins are applied.
QStringList g_style_warnings;
void collect_style_warnings(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (message.contains(QStringLiteral("style"), Qt::CaseInsensitive)) {
        g_style_warnings << message;
    }
}

TEST_F(WindowTest, EverySkinParsesAndPaints) {
    MainWindow& w = open();
    g_style_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect_style_warnings);
    for (int n = 1; n <= 33; ++n) {
        ASSERT_TRUE(apply_skin(n));
        EXPECT_FALSE(w.grab().isNull());
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_style_warnings.isEmpty()) << g_style_warnings.join(QStringLiteral("\n")).toStdString();
    ASSERT_TRUE(apply_skin(13));
}

TEST_F(WindowTest, ApplySkinHandsOverTheSkinOrAnEmptyResource) {
    for (int n : {0, 34}) {
        SCOPED_TRACE(n);
        ASSERT_TRUE(apply_skin(n));
        EXPECT_EQ(qApp->property("skinh_el.length").toInt(), 0);
    }
    ASSERT_TRUE(apply_skin(13));
    const auto bytes = embedded_skin(13);
    EXPECT_EQ(qApp->property("skinh_el.length").toInt(), static_cast<int>(bytes.size()));
    EXPECT_EQ(qApp->property("skinh_el.name").toString(), QStringLiteral("qingchen"));
    const auto skin = she::parse(bytes.data(), bytes.size());
    EXPECT_EQ(qApp->styleSheet(), QString::fromStdString(skin->sheet));
    // Written beside the program, byte for byte the built-in module.
    const Bytes written = file_read_all(program_directory() + "/SkinH_EL.dll");
    const auto module = embedded_skin_library();
    EXPECT_TRUE(std::equal(written.begin(), written.end(), module.begin(), module.end()));
}

TEST_F(WindowTest, ClosingTheWindowEndsStartProgramWithZero) {
    write_list("a|u\r\nb|u\r\n");
    QTimer::singleShot(0, [] {
        ASSERT_NE(main_window(), nullptr);
        EXPECT_EQ(entry_count_text(), "2");
        main_window()->close();
    });
    EXPECT_EQ(start_program(), 0);
    EXPECT_EQ(main_window(), nullptr);
    EXPECT_EQ(entry_count_text(), "");  // released by the exit clean-up
    EXPECT_EQ(current_entry(), "");
}

}  // namespace
