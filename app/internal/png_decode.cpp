// File: app/internal/png_decode.cpp
// PNG decoding with libpng, its user limits set; errors leave through longjmp to the one frame
// that set it up, which holds no C++ object with a destructor.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "app/internal/decoders.h"
#include "app/picture_decode.h"

namespace picture_internal {
namespace {

constexpr png_alloc_size_t kMaxChunk = 8u << 20;

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at;
};

void read_bytes(png_structp png, png_bytep out, size_t count) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (count > r->size - r->at) {
        png_error(png, "truncated");
    }
    std::memcpy(out, r->data + r->at, count);
    r->at += count;
}

void on_warning(png_structp, png_const_charp) {}

struct State {
    Reader reader{};
    png_structp png = nullptr;
    png_infop info = nullptr;
    QImage image;
    std::vector<png_bytep> rows;
};

bool run(State* s) {
    s->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, on_warning);
    if (s->png == nullptr) {
        return false;
    }
    s->info = png_create_info_struct(s->png);
    if (s->info == nullptr) {
        png_destroy_read_struct(&s->png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(s->png)) != 0) {
        png_destroy_read_struct(&s->png, &s->info, nullptr);
        return false;
    }
    png_set_user_limits(s->png, kMaxPictureSide, kMaxPictureSide);
    png_set_chunk_malloc_max(s->png, kMaxChunk);
    png_set_read_fn(s->png, &s->reader, read_bytes);
    png_read_info(s->png, s->info);
    const png_uint_32 w = png_get_image_width(s->png, s->info);
    const png_uint_32 h = png_get_image_height(s->png, s->info);
    if (!picture_size_allowed(w, h)) {
        png_destroy_read_struct(&s->png, &s->info, nullptr);
        return false;
    }
    const int type = png_get_color_type(s->png, s->info);
    // Everything becomes 8-bit B G R A in memory, which is QImage's ARGB32.
    png_set_expand(s->png);
    png_set_strip_16(s->png);
    if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(s->png);
    }
    png_set_bgr(s->png);
    png_set_filler(s->png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(s->png);
    png_read_update_info(s->png, s->info);
    if (png_get_rowbytes(s->png, s->info) != size_t{w} * 4) {
        png_destroy_read_struct(&s->png, &s->info, nullptr);
        return false;
    }
    s->image = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32);
    if (s->image.isNull()) {
        png_destroy_read_struct(&s->png, &s->info, nullptr);
        return false;
    }
    s->rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y) {
        s->rows[y] = s->image.scanLine(static_cast<int>(y));
    }
    png_read_image(s->png, s->rows.data());
    png_destroy_read_struct(&s->png, &s->info, nullptr);
    return true;
}

}  // namespace

QImage decode_png(std::span<const uint8_t> data) {
    State state;
    state.reader = Reader{data.data(), data.size(), 0};
    if (!run(&state)) {
        return {};
    }
    return state.image;
}

}  // namespace picture_internal
