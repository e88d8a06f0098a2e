// File: app/picture_decode.cpp
// Recognition by the first 8 bytes and the dispatch to the decoders, with the size limits.
#include "app/picture_decode.h"

#include <QBuffer>
#include <QImageReader>
#include <cstring>

#include "app/internal/decoders.h"

bool picture_size_allowed(int64_t w, int64_t h) {
    return w > 0 && h > 0 && w <= kMaxPictureSide && h <= kMaxPictureSide && w * h * 4 <= kMaxPictureBytes;
}

PictureFormat recognise_picture(std::span<const uint8_t> d) {
    if (d.size() < 8) {
        return PictureFormat::None;
    }
    const auto starts = [&](const char* magic, size_t n) { return std::memcmp(d.data(), magic, n) == 0; };
    if (starts("BM", 2)) {
        return PictureFormat::Bmp;
    }
    if (starts("\xff\xd8", 2)) {
        return PictureFormat::Jpeg;
    }
    if (starts("\x89PNG", 4)) {
        return PictureFormat::Png;
    }
    if (starts("\0\0\1\0", 4)) {
        return PictureFormat::Icon;
    }
    if (starts("\0\0\2\0", 4)) {
        return PictureFormat::Cursor;
    }
    if (starts("GIF87a", 6) || starts("GIF89a", 6)) {
        return PictureFormat::Gif;
    }
    if (d[0] == 0x0a) {
        return PictureFormat::Pcx;
    }
    return PictureFormat::None;
}

namespace {

// One image through Qt's reader of the given format, its announced size checked first.
QImage read_with_qt(std::span<const uint8_t> data, const char* format) {
    // Qt's own allocation guard, set to our limit (in MiB) for every reader, QMovie's included.
    static const bool limited = [] {
        QImageReader::setAllocationLimit(static_cast<int>(kMaxPictureBytes >> 20));
        return true;
    }();
    (void)limited;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    const QSize announced = reader.size();
    if (announced.isValid() && !picture_size_allowed(announced.width(), announced.height())) {
        return {};
    }
    QImage image = reader.read();
    if (image.isNull() || !picture_size_allowed(image.width(), image.height())) {
        return {};
    }
    return image;
}

}  // namespace

DecodedPicture decode_picture(std::span<const uint8_t> data) {
    using namespace picture_internal;
    DecodedPicture out;
    switch (recognise_picture(data)) {
        case PictureFormat::None:
            break;
        case PictureFormat::Bmp:
            out.image = read_with_qt(data, "bmp");
            break;
        case PictureFormat::Icon:
            out.image = read_with_qt(data, "ico");
            break;
        case PictureFormat::Cursor:
            out.image = read_with_qt(data, "cur");
            break;
        case PictureFormat::Jpeg:
            out.image = decode_jpeg(data);
            break;
        case PictureFormat::Png:
            out.image = decode_png(data);
            break;
        case PictureFormat::Pcx:
            out.image = decode_pcx(data);
            break;
        case PictureFormat::Gif: {
            int frames = 0;
            if (gif_within_limits(data, &frames)) {
                out.image = read_with_qt(data, "gif");
                if (!out.image.isNull() && frames > 1) {
                    out.animation = QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
                }
            }
            break;
        }
    }
    return out;
}
