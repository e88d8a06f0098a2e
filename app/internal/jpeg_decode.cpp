// File: app/internal/jpeg_decode.cpp
// JPEG decoding with libjpeg-turbo: errors leave through longjmp to the one frame that set it up,
// which holds no C++ object with a destructor; the result lives in the caller's state.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "app/internal/decoders.h"
#include "app/picture_decode.h"

namespace picture_internal {
namespace {

// A progressive stream with more scans than this is hostile: each scan costs a pass over the image.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

struct Progress {
    jpeg_progress_mgr base;
};

[[noreturn]] void on_error(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void on_message(j_common_ptr, int) {}  // warnings (a truncated stream, say) are not shown

void on_progress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->is_decompressor && d->input_scan_number > kMaxScans) {
        on_error(cinfo);
    }
}

struct State {
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    Progress progress{};
    QImage image;
    bool cmyk = false;
};

// Decodes into state->image; false on any error. Nothing here may need destruction on longjmp.
bool run(State* state, const uint8_t* data, size_t size) {
    j_decompress_ptr cinfo = &state->cinfo;
    cinfo->err = jpeg_std_error(&state->err.base);
    state->err.base.error_exit = on_error;
    state->err.base.emit_message = on_message;
    if (setjmp(state->err.jump) != 0) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    jpeg_create_decompress(cinfo);
    state->progress.base.progress_monitor = on_progress;
    cinfo->progress = &state->progress.base;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK ||
        !picture_size_allowed(cinfo->image_width, cinfo->image_height)) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    state->cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = state->cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(cinfo);
    state->image =
        QImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height), QImage::Format_RGB32);
    if (state->image.isNull()) {
        jpeg_destroy_decompress(cinfo);
        return false;
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = state->image.scanLine(static_cast<int>(cinfo->output_scanline));
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    const bool inverted = cinfo->saw_Adobe_marker;
    jpeg_destroy_decompress(cinfo);
    if (state->cmyk) {
        // Four bytes C M Y K per pixel, in place; Adobe writes them inverted.
        for (int y = 0; y < state->image.height(); ++y) {
            auto* p = reinterpret_cast<uint8_t*>(state->image.scanLine(y));
            auto* out = reinterpret_cast<QRgb*>(p);
            for (int x = 0; x < state->image.width(); ++x, p += 4) {
                int c = p[0], m = p[1], ye = p[2], k = p[3];
                if (!inverted) {
                    c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
                }
                out[x] = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            }
        }
    }
    return true;
}

}  // namespace

QImage decode_jpeg(std::span<const uint8_t> data) {
    State state;
    if (!run(&state, data.data(), data.size())) {
        return {};
    }
    return state.image;
}

}  // namespace picture_internal
