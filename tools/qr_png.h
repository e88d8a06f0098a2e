// File: tools/qr_png.h
// QR codes as PNG pictures: the sample directory serves them, the tests make their fixtures with them.
#pragma once

#include <string_view>

#include "text/text.h"

// A PNG (8-bit grey) of the QR code of text, each module scale x scale pixels, with a quiet zone
// of four modules; the empty bytes when the text cannot be encoded.
[[nodiscard]] Bytes make_qr_png(std::string_view text, int scale = 6);
