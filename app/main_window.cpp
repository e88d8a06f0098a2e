// File: app/main_window.cpp
// Building the main window at the layout's exact positions, its button bindings and its
// creation handler.
#include "app/main_window.h"

#include <QCloseEvent>
#include <QPainter>
#include <QStyleOption>
#include <cstdio>
#include <cstdlib>

#include "app/gbk_text.h"
#include "app/qt_window.h"
#include "groups/list_file.h"
#include "groups/presentation.h"
#include "groups/store.h"
#include "harvest/harvest.h"
#include "resources/embedded.h"
#include "text/services.h"

namespace {

constexpr std::string_view kTitle =
    "\xc8\xb5\xc7\xc5\xc9\xa8\xc2\xeb\xcd\xa8"
    "1.0.2";                                                                               // 鹊桥扫码通1.0.2
constexpr std::string_view kIntervalCaption = "\xc7\xd0\xbb\xbb\xbc\xe4\xb8\xf4\xa3\xba";  // 切换间隔：
constexpr std::string_view kAutoCaption = "\xd7\xd4\xb6\xaf\xc7\xd0\xbb\xbb";              // 自动切换
constexpr std::string_view kNextCaption = "\xbf\xaa\xca\xbc\xcc\xed\xbc\xd3\xce\xa2\xd0\xc5\xc8\xba";  // 开始添加微信群
constexpr std::string_view kHarvestCaption = "\xbb\xf1\xc8\xa1\xd7\xee\xd0\xc2\xce\xa2\xc8\xba";  // 获取最新微群
// 恭喜导入数据成功啦！共
constexpr std::string_view kImportedPrefix =
    "\xb9\xa7\xcf\xb2\xb5\xbc\xc8\xeb\xca\xfd\xbe\xdd\xb3\xc9\xb9\xa6\xc0\xb2\xa3\xa1\xb9\xb2";
// 条，点击开始获取开始工作！
constexpr std::string_view kImportedSuffix =
    "\xcc\xf5\xa3\xac\xb5\xe3\xbb\xf7\xbf\xaa\xca\xbc\xbb\xf1\xc8\xa1\xbf\xaa\xca\xbc\xb9\xa4\xd7\xf7\xa3\xa1";
constexpr std::string_view kInitialInterval = "5000";

MainWindow* g_window = nullptr;
Text g_entry_count_text;

template <class W>
W* place(W* widget, const char16_t* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromUtf16(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

QLabel* plain_label(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

MainWindow::MainWindow() {
    setObjectName(QStringLiteral(u"主窗口"));
    setWindowTitle(text_to_qstring(kTitle));
    setFixedSize(791, 581);
    move(50, 50);
    QFont face(QStringLiteral("WenQuanYi Micro Hei"));
    face.setPixelSize(13);
    setFont(face);

    m_picture2 = place(new PicturePanel(this), u"图片框2", 472, 72, 280, 256);
    m_group = place(new QGroupBox(this), u"分组框1", 432, 408, 344, 45);
    m_interval = place(new QLineEdit(text_to_qstring(kInitialInterval), m_group), u"编辑框2", 241, 15, 40, 24);
    m_interval->setAlignment(Qt::AlignCenter);
    m_interval_label = place(plain_label(m_group), u"标签1", 183, 14, 56, 24);
    m_interval_label->setText(text_to_qstring(kIntervalCaption));
    m_auto = place(new QCheckBox(text_to_qstring(kAutoCaption), m_group), u"选择框1", 72, 14, 72, 24);
    m_auto->setChecked(false);
    m_next = place(new QPushButton(text_to_qstring(kNextCaption), this), u"按钮2", 440, 480, 136, 56);
    m_status = place(plain_label(this), u"提示", 432, 16, 352, 32);
    m_status->setWordWrap(true);  // a long status takes a second line rather than being cut
    m_info = place(plain_label(this), u"信息", 8, 9, 416, 32);
    m_picture1 = place(new PicturePanel(this), u"图片框1", 8, 49, 416, 495);
    m_harvest = place(new QPushButton(text_to_qstring(kHarvestCaption), this), u"按钮1", 616, 480, 128, 56);

    connect(m_next, &QPushButton::clicked, this, [] { show_next_group(); });
    connect(m_harvest, &QPushButton::clicked, this, [] { start_harvest(); });
    g_window = this;
    qt_controls().attach(this);
}

MainWindow::~MainWindow() {
    qt_controls().detach(this);
    if (g_window == this) {
        g_window = nullptr;
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // From here on every wait returns at once and transfers are aborted.
    set_program_closing(true);
    qt_pump().quit_nested_loops();
    event->accept();
    emit closed();
}

void MainWindow::paintEvent(QPaintEvent*) {
    // The skin's background for the window itself.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    if (!m_painted) {
        m_painted = true;
        // Start-up measurements wait for this line (see bench/app).
        if (const char* probe = std::getenv("QUEQIAO_TEST_REPORT_PAINT"); probe != nullptr && *probe == '1') {
            std::printf("queqiao: first paint\n");
            std::fflush(stdout);
        }
    }
}

void init_main_window() {
    MainWindow* window = main_window();
    if (window == nullptr) {
        return;
    }
    window->picture1()->set_display_mode(2);
    window->picture2()->set_display_mode(2);
    window->picture2()->set_picture(embedded_picture());
    load_group_list();
    g_entry_count_text = int_to_text(count_lines(group_store().read()));
    qt_controls().set_status(text_concat(kImportedPrefix, g_entry_count_text, kImportedSuffix));
}

Text entry_count_text() {
    return g_entry_count_text;
}

void clear_entry_count_text() {
    g_entry_count_text.clear();
}

MainWindow* main_window() {
    return g_window;
}
