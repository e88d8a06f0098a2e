// File: fuzz/app/picture_fuzz.cpp
// set_picture's decoders on any bytes: recognition by the first 8 bytes, then libjpeg-turbo,
// libpng, our PCX decoder, the GIF block walk and Qt's BMP/ICO/CUR/GIF readers, within the limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "app/picture_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DecodedPicture picture = decode_picture({data, size});
    if (!picture.empty()) {
        // Whatever decodes stays within the limits.
        if (!picture_size_allowed(picture.image.width(), picture.image.height())) {
            std::abort();
        }
        volatile QRgb corner = picture.image.pixel(picture.image.width() - 1, picture.image.height() - 1);
        (void)corner;
    }
    return 0;
}
