// File: tools/qr_png.cpp
// libqrencode for the symbol, libpng for the picture.
#include "tools/qr_png.h"

#include <png.h>
#include <qrencode.h>

#include <memory>
#include <string>
#include <vector>

namespace {
void append_png_data(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
}  // namespace

Bytes make_qr_png(std::string_view text, int scale) {
    const std::string input(text);
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(QRcode_encodeString8bit(input.c_str(), 0, QR_ECLEVEL_M),
                                                         &QRcode_free);
    if (!code || scale < 1) {
        return {};
    }
    const int quiet = 4;
    const int modules = code->width + 2 * quiet;
    const int side = modules * scale;
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * side, 0xFF);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if ((code->data[y * code->width + x] & 1) == 0) {
                continue;
            }
            for (int dy = 0; dy < scale; ++dy) {
                uint8_t* row = &pixels[static_cast<size_t>((y + quiet) * scale + dy) * side];
                for (int dx = 0; dx < scale; ++dx) {
                    row[(x + quiet) * scale + dx] = 0;
                }
            }
        }
    }

    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return {};
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, append_png_data, nullptr);
    png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < side; ++y) {
        png_write_row(png, &pixels[static_cast<size_t>(y) * side]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}
