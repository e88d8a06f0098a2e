// File: app/start.cpp
// Start-up and shutdown in the order the program has always followed them.
#include "app/start.h"

#include <unistd.h>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/qt_window.h"
#include "app/screensaver.h"
#include "app/skin.h"
#include "groups/presentation.h"
#include "groups/store.h"
#include "text/files.h"
#include "text/services.h"

namespace {

constexpr int32_t kSkinNumber = 13;

bool env_is_one(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && std::string_view(value) == "1";
}

void report_skin_failure() {
    const char* text = skin_library_error_text();
    std::fprintf(stderr, "queqiao: %s\n", text);
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("SkinH_EL.dll"), QString::fromUtf8(text), QMessageBox::Ok);
    if (env_is_one("QUEQIAO_TEST_NONMODAL")) {
        box.setModal(false);
        box.show();
        QCoreApplication::processEvents();
        return;
    }
    box.exec();
}

}  // namespace

void prepare_process() {
    const Text dir = program_directory();
    (void)::chdir(dir.c_str());
    if (QCoreApplication::instance() == nullptr) {
        // Lives to the end of the process, which ends through std::_Exit.
        static int argc = 1;
        static char name[] = "queqiao";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    QFont face(QStringLiteral("WenQuanYi Micro Hei"));
    face.setPixelSize(13);
    QApplication::setFont(face);
    set_process_events_hook(+[] { QCoreApplication::processEvents(); });
    install_window(&qt_controls(), &qt_pump());
    set_screen_blank_hook(set_screen_blank_inhibited);
}

std::unique_ptr<MainWindow> open_main_window() {
    set_program_closing(false);
    auto window = std::make_unique<MainWindow>();
    init_main_window();
    window->show();
    return window;
}

void exit_clean_up() {
    reset_presentation_state();
    clear_entry_count_text();
}

int32_t start_program() {
    prepare_process();
    if (!apply_skin(kSkinNumber)) {
        report_skin_failure();
        return -1;
    }
    std::unique_ptr<MainWindow> window = open_main_window();
    QObject::connect(window.get(), &MainWindow::closed, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    if (env_is_one("QUEQIAO_TEST_QUIT_AFTER_START")) {
        std::printf("queqiao: window shown\n");
        std::fflush(stdout);
        QTimer::singleShot(0, window.get(), &QWidget::close);
    }
    QApplication::exec();
    window.reset();
    exit_clean_up();
    return 0;
}

void reset_program_for_test() {
    group_store().set({});
    exit_clean_up();
    set_program_closing(false);
}
