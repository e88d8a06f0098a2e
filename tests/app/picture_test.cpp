// File: tests/app/picture_test.cpp
// Picture panels: the placement of each display mode, recognition by the first 8 bytes, every
// decoder on a small fixture, and the panel left empty by bad, truncated or oversized data.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>
#include <QImageWriter>

#include "app/internal/decoders.h"
#include "app/picture_decode.h"
#include "app/picture_panel.h"
#include "app_test_support.h"

namespace {

class PictureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensure_qapp(); }
};

Bytes as_bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

void put32be(Bytes& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(v >> shift));
    }
}

void png_chunk(Bytes& out, const char* type, const Bytes& data) {
    put32be(out, static_cast<uint32_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    put32be(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

// A PNG whose header claims w x h, with a correct CRC and one tiny IDAT.
Bytes png_claiming(uint32_t w, uint32_t h) {
    Bytes out = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
    Bytes ihdr;
    put32be(ihdr, w);
    put32be(ihdr, h);
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    png_chunk(out, "IHDR", ihdr);
    png_chunk(out, "IDAT", {0x78, 0x9c, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    png_chunk(out, "IEND", {});
    return out;
}

// A GIF of a 10 x 10 screen whose one frame claims w x h.
Bytes gif_with_frame(uint16_t w, uint16_t h) {
    Bytes out = as_bytes("GIF89a");
    out.insert(out.end(), {10, 0, 10, 0, 0x80, 0, 0, 0, 0, 0, 0xff, 0xff, 0xff});
    out.insert(out.end(), {0x2c, 0, 0, 0, 0, static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8),
                           static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8), 0});
    out.insert(out.end(), {2, 2, 0x44, 0x01, 0, 0x3b});
    return out;
}

// A baseline JPEG header claiming w x h (never decoded that far).
Bytes jpeg_claiming(uint16_t w, uint16_t h) {
    Bytes jpeg = fixture("red_blue.jpg");
    // Find SOF0 (FF C0) and overwrite its height and width.
    for (size_t i = 2; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
            jpeg[i + 5] = static_cast<uint8_t>(h >> 8), jpeg[i + 6] = static_cast<uint8_t>(h);
            jpeg[i + 7] = static_cast<uint8_t>(w >> 8), jpeg[i + 8] = static_cast<uint8_t>(w);
            break;
        }
    }
    return jpeg;
}

// PCX of our own making: header fields, 16-entry palette and the given (uncompressed) body.
Bytes pcx(int bpp, int planes, int w, int h, int line, const Bytes& body, bool rle = false) {
    Bytes out(128, 0);
    out[0] = 0x0a, out[1] = 5, out[2] = rle ? 1 : 0, out[3] = static_cast<uint8_t>(bpp);
    out[8] = static_cast<uint8_t>(w - 1), out[10] = static_cast<uint8_t>(h - 1);
    // Palette entry 0 black, 1 white, 2 red, 4 blue.
    const uint8_t pal[][3] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 0}, {0, 0, 255}};
    for (int i = 0; i < 5; ++i) {
        for (int c = 0; c < 3; ++c) {
            out[16 + 3 * i + c] = pal[i][c];
        }
    }
    out[65] = static_cast<uint8_t>(planes);
    out[66] = static_cast<uint8_t>(line);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 24 && std::abs(qGreen(a) - qGreen(b)) < 24 &&
           std::abs(qBlue(a) - qBlue(b)) < 24;
}

// Every pixel of the grabbed panel is its background colour.
bool shows_only_background(PicturePanel& panel) {
    const QImage shot = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb bg = panel.palette().color(QPalette::Button).rgb();
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (shot.pixel(x, y) != bg) {
                return false;
            }
        }
    }
    return true;
}

TEST(PlacePicture, ModeTwoCentresAndShrinksByTheIntegerRules) {
    struct Case {
        QSize panel, picture;
        QRect drawn;
    };
    const Case cases[] = {
        {{416, 495}, {200, 100}, {108, 197, 200, 100}},  // natural size, centred
        {{280, 256}, {512, 512}, {12, 0, 256, 256}},     // the built-in picture in 图片框2
        {{416, 495}, {832, 416}, {0, 143, 416, 208}},    // wider than the panel
        {{416, 495}, {416, 495}, {0, 0, 416, 495}},      // exactly the panel
        {{416, 495}, {100, 990}, {183, 0, 50, 495}},     // taller only: x keeps its centring
        {{10, 10}, {3, 3}, {3, 3, 3, 3}},                // odd remainders round down
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height());
        EXPECT_EQ(place_picture(2, c.panel, c.picture), c.drawn);
    }
}

TEST(PlacePicture, ModesOutsideZeroToTwoAreClamped) {
    const QSize panel(416, 495), picture(832, 416);
    EXPECT_EQ(place_picture(0, panel, picture), QRect(0, 0, 832, 416));
    EXPECT_EQ(place_picture(-7, panel, picture), QRect(0, 0, 832, 416));
    EXPECT_EQ(place_picture(1, panel, picture), QRect(0, 0, 416, 495));
    EXPECT_EQ(place_picture(3, panel, picture), place_picture(2, panel, picture));
    EXPECT_EQ(place_picture(1000, panel, picture), QRect(0, 143, 416, 208));
}

TEST_F(PictureTest, PanelClampsItsDisplayMode) {
    PicturePanel panel;
    panel.set_display_mode(-1);
    EXPECT_EQ(panel.display_mode(), 0);
    panel.set_display_mode(5);
    EXPECT_EQ(panel.display_mode(), 2);
}

TEST_F(PictureTest, RecognisesEachFormatByItsFirstEightBytes) {
    struct Case {
        const char* name;
        PictureFormat format;
    };
    const Case cases[] = {
        {"red_blue.bmp", PictureFormat::Bmp},      {"red_blue.jpg", PictureFormat::Jpeg},
        {"red_blue.png", PictureFormat::Png},      {"red_blue.ico", PictureFormat::Icon},
        {"red_blue.cur", PictureFormat::Cursor},   {"red_blue.gif", PictureFormat::Gif},
        {"red_blue_8bit.pcx", PictureFormat::Pcx},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(recognise_picture(fixture(c.name)), c.format);
    }
    EXPECT_EQ(recognise_picture(as_bytes("GIF87a..")), PictureFormat::Gif);
    EXPECT_EQ(recognise_picture(as_bytes("GIF88a..")), PictureFormat::None);
    EXPECT_EQ(recognise_picture(as_bytes("BM")), PictureFormat::None);  // fewer than 8 bytes
}

TEST_F(PictureTest, DecodesEveryFormatToItsPixels) {
    const char* names[] = {"red_blue.bmp",        "red_blue.jpg", "red_blue.png",      "red_blue.ico",
                           "red_blue.cur",        "red_blue.gif", "red_blue_8bit.pcx", "red_blue_24bit.pcx",
                           "interlaced_rgba.png", "cmyk.jpg",     "progressive.jpg"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        const DecodedPicture picture = decode_picture(fixture(name));
        ASSERT_FALSE(picture.empty());
        EXPECT_EQ(picture.image.size(), QSize(8, 6));
        EXPECT_TRUE(near(picture.image.pixel(1, 1), qRgb(255, 0, 0))) << std::hex << picture.image.pixel(1, 1);
        EXPECT_TRUE(near(picture.image.pixel(6, 4), qRgb(0, 0, 255))) << std::hex << picture.image.pixel(6, 4);
        EXPECT_TRUE(picture.animation.isEmpty());
    }
}

TEST_F(PictureTest, DecodesPcxBitPlanesAndRuns) {
    using picture_internal::decode_pcx;
    // 1 bit, 1 plane: 8 x 1, pixels 1010 1010, black and white.
    const QImage mono = decode_pcx(pcx(1, 1, 8, 1, 2, {0xaa, 0x00}));
    ASSERT_EQ(mono.size(), QSize(8, 1));
    EXPECT_EQ(mono.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(mono.pixel(1, 0), qRgb(0, 0, 0));
    // 1 bit, 4 planes (16 colours): pixel 0 has plane 1 set (index 2, red), pixel 1 plane 2 (index 4, blue).
    const QImage ega = decode_pcx(pcx(1, 4, 2, 1, 2, {0x00, 0, 0x80, 0, 0x40, 0, 0x00, 0}));
    ASSERT_EQ(ega.size(), QSize(2, 1));
    EXPECT_EQ(ega.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(ega.pixel(1, 0), qRgb(0, 0, 255));
    // 4 bits packed, run-length: a run of 2 bytes 0x24 gives indices 2,4,2,4.
    const QImage packed = decode_pcx(pcx(4, 1, 4, 1, 2, {0xc2, 0x24}, true));
    ASSERT_EQ(packed.size(), QSize(4, 1));
    EXPECT_EQ(packed.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(packed.pixel(3, 0), qRgb(0, 0, 255));
    // A run that the data cuts short fails.
    EXPECT_TRUE(decode_pcx(pcx(4, 1, 4, 2, 2, {0xc2, 0x24}, true)).isNull());
    // A line too short for the width fails.
    EXPECT_TRUE(decode_pcx(pcx(8, 1, 4, 1, 2, {1, 2, 3, 4})).isNull());
}

TEST_F(PictureTest, AnimatedGifPlaysInThePanel) {
    PicturePanel panel;
    panel.resize(8, 6);
    panel.set_picture(fixture("anim.gif"));
    ASSERT_TRUE(panel.animating());
    // The frames alternate red and blue every 10 ms: both colours must show up.
    bool saw_red = false, saw_blue = false;
    EXPECT_TRUE(wait_for([&] {
        const QImage frame = panel.picture();
        if (!frame.isNull()) {
            saw_red = saw_red || near(frame.pixel(0, 0), qRgb(255, 0, 0));
            saw_blue = saw_blue || near(frame.pixel(0, 0), qRgb(0, 0, 255));
        }
        return saw_red && saw_blue;
    }));
    // A still picture stops the animation.
    panel.set_picture(fixture("red_blue.png"));
    EXPECT_FALSE(panel.animating());
}

TEST_F(PictureTest, BadDataLeavesThePanelEmpty) {
    Bytes png = fixture("red_blue.png");
    const Bytes truncated_png(png.begin(), png.begin() + static_cast<long>(png.size() / 2));
    Bytes jpeg = fixture("red_blue.jpg");
    const Bytes truncated_header_jpeg(jpeg.begin(), jpeg.begin() + 20);
    const Bytes gif = fixture("red_blue.gif");
    const Bytes truncated_gif(gif.begin(), gif.begin() + 13);
    struct Case {
        const char* what;
        Bytes data;
    };
    const Case cases[] = {
        {"empty", {}},
        {"seven bytes of a PNG", {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a}},
        {"an HTML page", as_bytes("<html><head><title>404 Not Found</title></head><body>gone</body></html>")},
        {"a truncated PNG", truncated_png},
        {"a PNG claiming 100000 x 100000", png_claiming(100000, 100000)},
        {"a PNG claiming 5000 x 5000 (over 64 MiB)", png_claiming(5000, 5000)},
        {"a JPEG claiming 20000 x 20000", jpeg_claiming(20000, 20000)},
        {"a JPEG cut in its header", truncated_header_jpeg},
        {"a GIF with one oversized frame", gif_with_frame(20000, 1)},
        {"a GIF without any frame", truncated_gif},
        {"a BMP signature and nothing else", as_bytes("BM\0\0\0\0\0\0\0\0")},
        {"a PCX signature and nothing else", as_bytes("\x0a\x05\x01\x08 junk")},
        {"an icon header and nothing else", as_bytes(std::string("\0\0\1\0\1\0\0\0", 8))},
    };
    PicturePanel panel;
    panel.resize(40, 30);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        panel.set_picture(fixture("red_blue.png"));  // something to discard first
        ASSERT_FALSE(panel.picture().isNull());
        panel.set_picture(c.data);
        EXPECT_TRUE(panel.picture().isNull());
        EXPECT_TRUE(shows_only_background(panel));
    }
}

TEST_F(PictureTest, SizeLimitsAllowUpToSixtyFourMebibytes) {
    EXPECT_TRUE(picture_size_allowed(4096, 4096));  // exactly 64 MiB
    EXPECT_FALSE(picture_size_allowed(4097, 4096));
    EXPECT_TRUE(picture_size_allowed(16384, 1));
    EXPECT_FALSE(picture_size_allowed(16385, 1));
    EXPECT_FALSE(picture_size_allowed(0, 10));
    // Within the limits a PNG decodes: a real 2000 x 1 image made here.
    QImage wide(2000, 1, QImage::Format_RGB32);
    wide.fill(Qt::green);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(wide.save(&buffer, "PNG"));
    EXPECT_EQ(decode_picture(Bytes(encoded.begin(), encoded.end())).image.size(), QSize(2000, 1));
}

TEST_F(PictureTest, ModeTwoDrawsAtTheComputedPlace) {
    PicturePanel panel;
    panel.resize(416, 495);
    panel.set_display_mode(2);
    QImage red(200, 100, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(red.save(&buffer, "BMP"));
    panel.set_picture(Bytes(encoded.begin(), encoded.end()));
    const QImage shot = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb bg = panel.palette().color(QPalette::Button).rgb();
    EXPECT_EQ(shot.pixel(108, 197), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(307, 296), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(107, 197), bg);
    EXPECT_EQ(shot.pixel(108, 196), bg);
    EXPECT_EQ(shot.pixel(308, 296), bg);
    EXPECT_EQ(shot.pixel(307, 297), bg);
}

TEST_F(PictureTest, EnlargedForAScaledScreenWithoutSmoothing) {
    // A 2 x 1 picture, black then white, drawn at natural size on a device of scale 2.
    QImage two(2, 1, QImage::Format_RGB32);
    two.setPixel(0, 0, qRgb(0, 0, 0));
    two.setPixel(1, 0, qRgb(255, 255, 255));
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(two.save(&buffer, "PNG"));
    PicturePanel panel;
    panel.resize(10, 10);
    panel.set_display_mode(0);
    panel.set_picture(Bytes(encoded.begin(), encoded.end()));
    QImage device(20, 20, QImage::Format_RGB32);
    device.setDevicePixelRatio(2);
    panel.render(&device);
    // Each picture pixel became a sharp 2 x 2 block: no grey where black meets white.
    EXPECT_EQ(device.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(device.pixel(2, 1), qRgb(255, 255, 255));
    EXPECT_EQ(device.pixel(3, 1), qRgb(255, 255, 255));
}

}  // namespace
