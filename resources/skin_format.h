// File: resources/skin_format.h
// Our skin file format, ".SHE": the four bytes ".SHE", a small header, the skin's name and a
// UTF-8 style sheet. Packed at build time from skins/NN_name.qss, read by the skin module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace she {

// Layout, all integers little-endian:
//   0  ".SHE"        magic
//   4  u8            format version (1)
//   5  u8            skin number, 1 to 33
//   6  u16           name length N
//   8  u32           style sheet length L
//   12 N bytes       name (UTF-8)
//   12+N L bytes     style sheet (UTF-8)
// The file is exactly 12 + N + L bytes.
inline constexpr std::string_view kMagic = ".SHE";
inline constexpr uint8_t kVersion = 1;
inline constexpr size_t kHeaderSize = 12;
inline constexpr uint32_t kMaxSheet = 1u << 20;

struct Skin {
    int number = 0;
    std::string name;
    std::string sheet;
};

inline std::string pack(int number, std::string_view name, std::string_view sheet) {
    std::string out(kMagic);
    out.push_back(static_cast<char>(kVersion));
    out.push_back(static_cast<char>(number));
    const auto n = static_cast<uint16_t>(name.size());
    const auto l = static_cast<uint32_t>(sheet.size());
    out.push_back(static_cast<char>(n & 0xff));
    out.push_back(static_cast<char>(n >> 8));
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((l >> shift) & 0xff));
    }
    out.append(name);
    out.append(sheet);
    return out;
}

// The skin the bytes hold; nothing when they are not a well-formed skin of this format.
inline std::optional<Skin> parse(const unsigned char* data, size_t size) {
    if (data == nullptr || size < kHeaderSize || std::string_view(reinterpret_cast<const char*>(data), 4) != kMagic ||
        data[4] != kVersion) {
        return std::nullopt;
    }
    const size_t n = data[6] | (size_t{data[7]} << 8);
    const size_t l = data[8] | (size_t{data[9]} << 8) | (size_t{data[10]} << 16) | (size_t{data[11]} << 24);
    if (l > kMaxSheet || size != kHeaderSize + n + l) {
        return std::nullopt;
    }
    Skin skin;
    skin.number = data[5];
    skin.name.assign(reinterpret_cast<const char*>(data) + kHeaderSize, n);
    skin.sheet.assign(reinterpret_cast<const char*>(data) + kHeaderSize + n, l);
    return skin;
}

}  // namespace she
