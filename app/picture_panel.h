// File: app/picture_panel.h
// A picture panel: at most one picture, drawn by display mode 0 (natural size, top left),
// 1 (stretched to the panel) or 2 (centred, shrunk to fit keeping proportions) on the
// button-face colour. An animated GIF plays.
#pragma once

#include <QBuffer>
#include <QImage>
#include <QMovie>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <memory>
#include <span>

// Where a w x h picture is drawn in a W x H panel by display mode (clamped to 0..2), in whole
// pixels. Mode 2 centres the picture and shrinks one larger than the panel, proportions kept:
// 200 x 100 in 416 x 495 gives (108, 197) 200 x 100; 832 x 416 in 416 x 495 gives (0, 143) 416 x 208.
[[nodiscard]] QRect place_picture(int mode, QSize panel, QSize picture);

class PicturePanel : public QWidget {
    Q_OBJECT
public:
    explicit PicturePanel(QWidget* parent = nullptr);
    ~PicturePanel() override;

    // Below 0 is taken as 0, above 2 as 2.
    void set_display_mode(int mode);
    [[nodiscard]] int display_mode() const { return m_mode; }

    // Replaces the picture with the one the bytes hold; unrecognised or undecodable bytes leave the
    // panel empty. Then repaints.
    void set_picture(std::span<const uint8_t> data);
    void clear_picture();

    // The picture shown now (the current frame of an animation); null when the panel is empty.
    [[nodiscard]] QImage picture() const;
    [[nodiscard]] bool animating() const { return m_movie != nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_mode = 0;
    QImage m_image;
    std::unique_ptr<QByteArray> m_movie_bytes;
    std::unique_ptr<QBuffer> m_movie_buffer;
    std::unique_ptr<QMovie> m_movie;
};
