// File: tests/tools/sample_qr_test.cpp
// Each group's QR picture, as the sample directory serves it, reads back as the group's join address.
#include <png.h>

#include <gtest/gtest.h>

#include "support/qr_decode.h"
#include "tools/sample_directory.h"
#include "tools/sample_server.h"

namespace {

std::vector<std::string> decode_png(const std::string& data) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) {
        return {};
    }
    image.format = PNG_FORMAT_GRAY;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        return {};
    }
    return decode_qr_gray(pixels.data(), static_cast<int>(image.width), static_cast<int>(image.height),
                          static_cast<int>(image.width));
}

TEST(SampleDirectoryQr, PictureEncodesTheJoinAddress) {
    SampleDirectoryOptions options;
    for (const auto& [page, item] : {std::pair{1, 1}, std::pair{10, 20}, std::pair{4, 7}}) {
        const int32_t id = sample_group(page, item).id;
        SCOPED_TRACE(id);
        const SampleAnswer answer = sample_answer(options, "h", "/qr/" + std::to_string(id) + ".png");
        EXPECT_EQ(answer.content_type, "image/png");
        EXPECT_EQ(decode_png(answer.body), std::vector<std::string>{join_address(id)});
    }
    EXPECT_EQ(join_address(101001), "https://join.example/qun/101001");
}

}  // namespace
