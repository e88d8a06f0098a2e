// File: app/picture_panel.cpp
// Painting a picture panel by its display mode; QR images enlarged for a high-density screen stay
// sharp (no smoothing), shrunk ones are smoothed.
#include "app/picture_panel.h"

#include <QBuffer>
#include <QPainter>
#include <algorithm>

#include "app/picture_decode.h"

QRect place_picture(int mode, QSize panel, QSize picture) {
    const int W = panel.width(), H = panel.height();
    const int w = picture.width(), h = picture.height();
    mode = std::clamp(mode, 0, 2);
    if (mode == 0) {
        return {0, 0, w, h};
    }
    if (mode == 1) {
        return {0, 0, W, H};
    }
    int x = 0, y = 0, a = W, b = H;
    if (w <= W) {
        x = (W - w) / 2;
        a = w;
    }
    if (h <= H) {
        y = (H - h) / 2;
        b = h;
    }
    if (w > W || h > H) {
        const double r = std::min(static_cast<double>(a) / w, static_cast<double>(b) / h);
        const int dw = static_cast<int>(w * r);
        const int dh = static_cast<int>(h * r);
        return {x + (a - dw) / 2, y + (b - dh) / 2, dw, dh};
    }
    return {x, y, w, h};
}

PicturePanel::PicturePanel(QWidget* parent) : QWidget(parent) {}

PicturePanel::~PicturePanel() = default;

void PicturePanel::set_display_mode(int mode) {
    m_mode = std::clamp(mode, 0, 2);
    update();
}

void PicturePanel::clear_picture() {
    m_movie.reset();
    m_movie_buffer.reset();
    m_movie_bytes.reset();
    m_image = QImage();
}

void PicturePanel::set_picture(std::span<const uint8_t> data) {
    clear_picture();
    DecodedPicture decoded = decode_picture(data);
    m_image = std::move(decoded.image);
    if (!m_image.isNull() && !decoded.animation.isEmpty()) {
        m_movie_bytes = std::make_unique<QByteArray>(std::move(decoded.animation));
        m_movie_buffer = std::make_unique<QBuffer>(m_movie_bytes.get());
        m_movie_buffer->open(QIODevice::ReadOnly);
        m_movie = std::make_unique<QMovie>(m_movie_buffer.get(), QByteArray("gif"));
        m_movie->setCacheMode(QMovie::CacheNone);
        connect(m_movie.get(), &QMovie::frameChanged, this, [this] {
            const QImage frame = m_movie->currentImage();
            if (!frame.isNull()) {
                m_image = frame;
            }
            update();
        });
        m_movie->start();
    }
    update();
}

QImage PicturePanel::picture() const {
    return m_image;
}

void PicturePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    if (m_image.isNull()) {
        return;
    }
    const QRect target = place_picture(m_mode, size(), m_image.size());
    // Enlarging in device pixels (a scaled screen, mode 0 or 1): keep the modules' hard edges.
    const qreal dpr = painter.device()->devicePixelRatioF();
    const bool enlarging = target.width() * dpr >= m_image.width() && target.height() * dpr >= m_image.height();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !enlarging);
    painter.drawImage(target, m_image);
}
