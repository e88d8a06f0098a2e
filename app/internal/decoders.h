// File: app/internal/decoders.h
// The decoders behind decode_picture. Each returns a null image on any failure and never reads
// outside the bytes it is given.
#pragma once

#include <QImage>
#include <cstdint>
#include <span>

namespace picture_internal {

// JPEG through libjpeg-turbo: the header is checked against the limits before decompressing.
[[nodiscard]] QImage decode_jpeg(std::span<const uint8_t> data);

// PNG through libpng, with its user limits set.
[[nodiscard]] QImage decode_png(std::span<const uint8_t> data);

// PCX (1, 2, 4 or 8 bits, 1 to 4 planes; RLE or stored).
[[nodiscard]] QImage decode_pcx(std::span<const uint8_t> data);

// Walks a GIF's blocks: true when it is well formed up to its first frame and neither its screen
// nor any frame exceeds the limits. *frames receives the number of frames found.
[[nodiscard]] bool gif_within_limits(std::span<const uint8_t> data, int* frames);

}  // namespace picture_internal
