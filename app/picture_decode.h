// File: app/picture_decode.h
// Turning the bytes handed to a picture panel into a picture: the format recognised by the first
// 8 bytes (BMP, JPEG, PNG, icon, cursor, GIF, PCX), decoded within fixed size limits.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <span>

enum class PictureFormat { None, Bmp, Jpeg, Png, Icon, Cursor, Gif, Pcx };

// At most this many pixels a side, and this many bytes decoded (4 per pixel), per image and per
// GIF frame; anything larger fails to decode.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr int64_t kMaxPictureBytes = int64_t{64} << 20;

// True when a w x h picture (w, h > 0) is within the limits above.
[[nodiscard]] bool picture_size_allowed(int64_t w, int64_t h);

// The format the first 8 bytes announce; None for fewer than 8 bytes or an unknown start.
[[nodiscard]] PictureFormat recognise_picture(std::span<const uint8_t> data);

struct DecodedPicture {
    QImage image;          // the picture, or its first frame; null when nothing could be decoded
    QByteArray animation;  // the GIF's bytes when it has more than one frame (played by the panel)

    [[nodiscard]] bool empty() const { return image.isNull(); }
};

// The decoded picture; empty for unrecognised data, data that fails to decode or exceeds the limits.
[[nodiscard]] DecodedPicture decode_picture(std::span<const uint8_t> data);
