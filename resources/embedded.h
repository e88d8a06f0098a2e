// File: resources/embedded.h
// The data built into the program: the skin library SkinH_EL.dll, the 33 skins in our ".SHE"
// format and the 512 x 512 JPEG picture shown beside the QR panel.
#pragma once

#include <cstdint>
#include <span>

// The whole skin module, as built from resources/skin_module.
[[nodiscard]] std::span<const uint8_t> embedded_skin_library();
// Skin number 1 to 33; empty for any other number.
[[nodiscard]] std::span<const uint8_t> embedded_skin(int32_t number);
// The built-in picture, a 512 x 512 colour JPEG.
[[nodiscard]] std::span<const uint8_t> embedded_picture();
