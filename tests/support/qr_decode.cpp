// File: tests/support/qr_decode.cpp
// libzbar's image scanner restricted to QR codes, in binary mode so the bytes are not re-encoded.
#include "support/qr_decode.h"

#include <zbar.h>

#include <QImage>
#include <cstring>
#include <memory>

std::vector<std::string> decode_qr_gray(const uint8_t* pixels, int width, int height, int stride) {
    using namespace zbar;  // the C API, declared in this namespace when seen from C++
    std::vector<std::string> found;
    if (pixels == nullptr || width <= 0 || height <= 0 || stride < width) {
        return found;
    }
    std::vector<uint8_t> tight(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::memcpy(tight.data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                    pixels + static_cast<size_t>(y) * static_cast<size_t>(stride), static_cast<size_t>(width));
    }
    std::unique_ptr<zbar_image_scanner_t, decltype(&zbar_image_scanner_destroy)> scanner(zbar_image_scanner_create(),
                                                                                         &zbar_image_scanner_destroy);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_NONE, ZBAR_CFG_ENABLE, 0);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_ENABLE, 1);
    zbar_image_scanner_set_config(scanner.get(), ZBAR_QRCODE, ZBAR_CFG_BINARY, 1);
    std::unique_ptr<zbar_image_t, decltype(&zbar_image_destroy)> image(zbar_image_create(), &zbar_image_destroy);
    zbar_image_set_format(image.get(), zbar_fourcc('Y', '8', '0', '0'));
    zbar_image_set_size(image.get(), static_cast<unsigned>(width), static_cast<unsigned>(height));
    zbar_image_set_data(image.get(), tight.data(), tight.size(), nullptr);
    if (zbar_scan_image(scanner.get(), image.get()) <= 0) {
        return found;
    }
    for (const zbar_symbol_t* sym = zbar_image_first_symbol(image.get()); sym != nullptr; sym = zbar_symbol_next(sym)) {
        found.emplace_back(zbar_symbol_get_data(sym), zbar_symbol_get_data_length(sym));
    }
    return found;
}

std::vector<std::string> decode_qr_image(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    return decode_qr_gray(grey.constBits(), grey.width(), grey.height(), static_cast<int>(grey.bytesPerLine()));
}
