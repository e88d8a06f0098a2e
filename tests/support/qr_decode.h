// File: tests/support/qr_decode.h
// Reading QR codes back out of pictures with libzbar: a grabbed picture panel, or a plain grey
// buffer. The tests use it to check that the code on screen is the group's address.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QImage;

// The data of every QR code found in a grey picture of width x height pixels, rows stride bytes
// apart (stride >= width). The data bytes come back unconverted. Empty when none is found.
[[nodiscard]] std::vector<std::string> decode_qr_gray(const uint8_t* pixels, int width, int height, int stride);

// The same for any QImage: converted to Grayscale8 and copied row by row into a tight buffer first
// (QImage rows are padded to 4 bytes, zbar expects none).
[[nodiscard]] std::vector<std::string> decode_qr_image(const QImage& image);
