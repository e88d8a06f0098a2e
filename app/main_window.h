// File: app/main_window.h
// The main window "鹊桥扫码通1.0.2": a fixed 791 x 581 client area holding the status line, the
// group title, the two picture panels, the auto-switch settings and the two buttons, each
// carrying its layout name as objectName. The group list itself is the store of groups/.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "app/picture_panel.h"
#include "text/text.h"

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    [[nodiscard]] PicturePanel* picture1() const { return m_picture1; }        // 图片框1
    [[nodiscard]] PicturePanel* picture2() const { return m_picture2; }        // 图片框2
    [[nodiscard]] QGroupBox* group_box() const { return m_group; }             // 分组框1
    [[nodiscard]] QLineEdit* interval_edit() const { return m_interval; }      // 编辑框2
    [[nodiscard]] QLabel* interval_label() const { return m_interval_label; }  // 标签1
    [[nodiscard]] QCheckBox* auto_switch_box() const { return m_auto; }        // 选择框1
    [[nodiscard]] QPushButton* next_button() const { return m_next; }          // 按钮2
    [[nodiscard]] QPushButton* harvest_button() const { return m_harvest; }    // 按钮1
    [[nodiscard]] QLabel* status_label() const { return m_status; }            // 提示
    [[nodiscard]] QLabel* info_label() const { return m_info; }                // 信息

signals:
    // Emitted once the window has accepted being closed.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    PicturePanel* m_picture1;
    PicturePanel* m_picture2;
    QGroupBox* m_group;
    QLineEdit* m_interval;
    QLabel* m_interval_label;
    QCheckBox* m_auto;
    QPushButton* m_next;
    QPushButton* m_harvest;
    QLabel* m_status;
    QLabel* m_info;
    bool m_painted = false;
};

// The window's creation handler: both panels to mode 2, the built-in picture in 图片框2, the list
// loaded from weiqun.txt and counted, and the count reported in 提示.
void init_main_window();

// The decimal number of lines the store held after start-up; empty before and after a run.
[[nodiscard]] Text entry_count_text();
// Exit clean-up and test seam: entry_count_text back to empty.
void clear_entry_count_text();

// The open main window; nullptr when none exists.
[[nodiscard]] MainWindow* main_window();
