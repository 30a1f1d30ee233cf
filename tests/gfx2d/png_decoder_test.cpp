// PNG decoding of images written with libpng by the tests: palette, grey,
// 16-bit and RGBA forms, the key colour, and broken files.
#include "gfx2d/png_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gfx2d/image_file.h"
#include "gfx2d/test_images.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::pngFile;
using test::PngLayout;

constexpr int32_t kNoKey = -1;

std::vector<uint8_t> pixelsOf(const PixelBuffer& buffer) {
    return std::vector<uint8_t>(buffer.pixels(), buffer.pixels() + buffer.byteSize());
}

size_t openFileCount() {
    size_t count = 0;
    for (const auto& item : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)item;
        ++count;
    }
    return count;
}

class PngDecoderTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = temp.file(name).string();
        test::writeWholeFile(path, bytes);
        return path;
    }
    // Decodes and also checks that nothing was printed to standard output.
    bool decodeQuietly(PixelBuffer& out, const std::string& bytes, int32_t key) {
        std::string path = write("image.png", bytes);
        testing::internal::CaptureStdout();
        bool ok = decodePngFile(out, path.c_str(), key);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        return ok;
    }

    test::TempFolder temp;
};

PngLayout paletteImage() {
    PngLayout layout;
    layout.width = 4;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_PALETTE;
    layout.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    layout.rows = {{0, 1, 2, 1}};
    return layout;
}

TEST_F(PngDecoderTest, PaletteWithoutTransparencyIsKeyedLikeRgb) {
    PixelBuffer out;
    ASSERT_TRUE(decodeQuietly(out, pngFile(paletteImage()), 0x00FF00));
    ASSERT_EQ(out.width(), 4);
    ASSERT_EQ(out.height(), 1);
    EXPECT_EQ(pixelsOf(out),
              (std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0}));
}

TEST_F(PngDecoderTest, PaletteWithTransparencyKeepsItsAlphaAndIgnoresTheKey) {
    PngLayout layout = paletteImage();
    layout.paletteAlpha = {255, 128, 0};
    PixelBuffer out;
    ASSERT_TRUE(decodeQuietly(out, pngFile(layout), 0x0000FF));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{255, 0, 0, 255, 0, 255, 0, 128,  //
                                                   0, 0, 255, 0, 0, 255, 0, 128}));
}

TEST_F(PngDecoderTest, PackedPaletteIndicesAreUnpacked) {
    PngLayout layout = paletteImage();
    layout.bitDepth = 2;
    layout.width = 5;
    layout.rows = {{0b00011011, 0b01000000}};  // indices 0, 1, 2, 3, 1
    layout.palette.push_back({9, 9, 9});
    PixelBuffer out;
    ASSERT_TRUE(decodeQuietly(out, pngFile(layout), kNoKey));
    EXPECT_EQ(pixelsOf(out),
              (std::vector<uint8_t>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,  //
                                    9,   9, 9, 255, 0, 255, 0, 255}));
}

TEST_F(PngDecoderTest, GreyLoadsAsEqualChannelsWithFullAlphaAndNoKey) {
    PngLayout layout;
    layout.width = 3;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_GRAY;
    layout.rows = {{0, 100, 255}};
    PixelBuffer out;
    ASSERT_TRUE(decodeQuietly(out, pngFile(layout), 100 * 0x010101));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{0, 0, 0, 255, 100, 100, 100, 255,  //
                                                   255, 255, 255, 255}));

    struct Low {
        int depth;
        uint8_t packed;
        std::vector<uint8_t> expected;  // the first four grey values
    } lows[] = {
        {1, 0b10110000, {255, 0, 255, 255}},
        {2, 0b00011011, {0, 85, 170, 255}},
        {4, 0x0F, {0, 255}},
    };
    for (const Low& low : lows) {
        PngLayout lowLayout;
        lowLayout.width = static_cast<uint32_t>(low.expected.size());
        lowLayout.height = 1;
        lowLayout.colourType = PNG_COLOR_TYPE_GRAY;
        lowLayout.bitDepth = low.depth;
        lowLayout.rows = {{low.packed}};
        ASSERT_TRUE(decodeQuietly(out, pngFile(lowLayout), kNoKey)) << low.depth;
        for (size_t x = 0; x < low.expected.size(); ++x) {
            EXPECT_EQ(out.pixels()[x * 4], low.expected[x]) << low.depth << " " << x;
            EXPECT_EQ(out.pixels()[x * 4 + 2], low.expected[x]);
            EXPECT_EQ(out.pixels()[x * 4 + 3], 255);
        }
    }
}

TEST_F(PngDecoderTest, GreyWithAlphaIsRefusedWithoutAMessageAndTheBufferIsKept) {
    PngLayout layout;
    layout.width = 2;
    layout.height = 1;
    layout.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    layout.rows = {{10, 20, 30, 40}};
    PixelBuffer out;
    out.resize(3, 3);
    out.pixels()[5] = 42;
    EXPECT_FALSE(decodeQuietly(out, pngFile(layout), kNoKey));
    EXPECT_EQ(out.width(), 3);
    EXPECT_EQ(out.pixels()[5], 42);

    // Grey with a transparent grey value becomes grey with alpha too.
    PngLayout trns;
    trns.width = 2;
    trns.height = 1;
    trns.colourType = PNG_COLOR_TYPE_GRAY;
    trns.rows = {{10, 20}};
    trns.hasTransparentColour = true;
    trns.transparentColour.gray = 10;
    EXPECT_FALSE(decodeQuietly(out, pngFile(trns), kNoKey));
    EXPECT_EQ(out.pixels()[5], 42);
}

TEST_F(PngDecoderTest, SixteenBitChannelsKeepTheirHighByte) {
    PngLayout rgb;
    rgb.width = 1;
    rgb.height = 1;
    rgb.bitDepth = 16;
    rgb.rows = {{0xAB, 0xCD, 0x12, 0xFF, 0x00, 0x80}};
    PixelBuffer out;
    ASSERT_TRUE(decodeQuietly(out, pngFile(rgb), kNoKey));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{0xAB, 0x12, 0x00, 255}));

    PngLayout rgba = rgb;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    rgba.rows = {{0xAB, 0xCD, 0x12, 0xFF, 0x00, 0x80, 0x80, 0xFF}};
    ASSERT_TRUE(decodeQuietly(out, pngFile(rgba), kNoKey));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{0xAB, 0x12, 0x00, 0x80}));
}

TEST_F(PngDecoderTest, RgbaKeepsItsAlphaWhateverTheKey) {
    std::vector<uint8_t> pixels{255, 0, 128, 255, 1, 2, 3, 0, 4, 5, 6, 77, 255, 0, 128, 10};
    PixelBuffer out;
    ASSERT_TRUE(decodeQuietly(out, test::rgbaPng(2, 2, pixels), 0x8000FF));
    EXPECT_EQ(pixelsOf(out), pixels);
}

TEST_F(PngDecoderTest, RgbTakesTheKeyColourAndATransparentColour) {
    PngLayout layout;
    layout.width = 3;
    layout.height = 1;
    layout.rows = {{255, 0, 128, 255, 0, 127, 7, 8, 9}};
    PixelBuffer out;
    ASSERT_TRUE(decodeQuietly(out, pngFile(layout), 0x8000FF));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{0, 0, 0, 0, 255, 0, 127, 255, 7, 8, 9, 255}));
    ASSERT_TRUE(decodeQuietly(out, pngFile(layout), kNoKey));
    EXPECT_EQ(pixelsOf(out),
              (std::vector<uint8_t>{255, 0, 128, 255, 255, 0, 127, 255, 7, 8, 9, 255}));

    // A tRNS colour gives an alpha channel: that colour turns transparent,
    // and the key no longer applies.
    layout.hasTransparentColour = true;
    layout.transparentColour.red = 7;
    layout.transparentColour.green = 8;
    layout.transparentColour.blue = 9;
    ASSERT_TRUE(decodeQuietly(out, pngFile(layout), 0x8000FF));
    EXPECT_EQ(pixelsOf(out),
              (std::vector<uint8_t>{255, 0, 128, 255, 255, 0, 127, 255, 7, 8, 9, 0}));
}

TEST_F(PngDecoderTest, InterlacedImageDecodesLikeAPlainOne) {
    PngLayout layout;
    layout.width = 13;
    layout.height = 11;
    for (uint32_t y = 0; y < layout.height; ++y) {
        std::vector<uint8_t> row;
        for (uint32_t x = 0; x < layout.width; ++x) {
            row.insert(row.end(), {static_cast<uint8_t>(x * 19), static_cast<uint8_t>(y * 23),
                                   static_cast<uint8_t>(x * y)});
        }
        layout.rows.push_back(row);
    }
    PixelBuffer plain, interlaced;
    ASSERT_TRUE(decodeQuietly(plain, pngFile(layout), kNoKey));
    layout.interlaced = true;
    ASSERT_TRUE(decodeQuietly(interlaced, pngFile(layout), kNoKey));
    EXPECT_EQ(pixelsOf(interlaced), pixelsOf(plain));
    EXPECT_EQ(plain.row(10)[12 * 4 + 1], static_cast<uint8_t>(10 * 23));
}

TEST_F(PngDecoderTest, BrokenFilesFailWithoutCrashLeakOrTouchingTheBuffer) {
    std::vector<uint8_t> pixels(64 * 64 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7 + i / 256);
    std::string good = test::rgbaPng(64, 64, pixels);
    size_t idat = good.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    size_t idatLength = 0;
    for (int i = 0; i < 4; ++i)
        idatLength = idatLength << 8 | static_cast<uint8_t>(good[idat - 4 + i]);
    ASSERT_GT(idatLength, 100u);

    std::string badCrc = good;
    badCrc[idat + 4 + idatLength / 2] ^= 0x55;  // inside the compressed rows
    std::string zeroHeight = good;
    zeroHeight.replace(20, 4, std::string(4, '\0'));  // IHDR height, then a fresh CRC
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(zeroHeight.data() + 12), 17);
    for (int i = 0; i < 4; ++i) zeroHeight[29 + i] = static_cast<char>(crc >> (24 - 8 * i));

    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"not a PNG", "GIF89a and then some bytes"},
        {"signature only", good.substr(0, 8)},
        {"cut inside the header", good.substr(0, 20)},
        {"cut in the rows", good.substr(0, idat + 4 + idatLength / 2)},
        {"cut before the rows", good.substr(0, idat)},
        {"damaged rows", badCrc},
        {"height zero", zeroHeight},
    };
    size_t filesBefore = openFileCount();
    for (const Case& c : cases) {
        PixelBuffer out;
        out.resize(2, 2);
        out.pixels()[0] = 42;
        EXPECT_FALSE(decodeQuietly(out, c.bytes, kNoKey)) << c.what;
        EXPECT_EQ(out.width(), 2) << c.what;
        EXPECT_EQ(out.pixels()[0], 42) << c.what;
        EXPECT_EQ(openFileCount(), filesBefore) << c.what;
    }
    PixelBuffer out;
    EXPECT_FALSE(decodePngFile(out, temp.file("missing.png").c_str(), kNoKey));
    EXPECT_FALSE(decodePngFile(out, nullptr, kNoKey));
    // The good file still decodes after all of that.
    ASSERT_TRUE(decodeQuietly(out, good, kNoKey));
    EXPECT_EQ(pixelsOf(out), pixels);
    EXPECT_EQ(openFileCount(), filesBefore);
}

TEST_F(PngDecoderTest, BufferGrowsOnlyWhenTooSmall) {
    std::vector<uint8_t> big(4 * 4 * 4, 200), small(2 * 2 * 4, 100);
    PixelBuffer out;
    ASSERT_TRUE(decodeQuietly(out, test::rgbaPng(4, 4, big), kNoKey));
    EXPECT_EQ(out.capacity(), 64);
    const uint8_t* block = out.pixels();
    ASSERT_TRUE(decodeQuietly(out, test::rgbaPng(2, 2, small), kNoKey));
    EXPECT_EQ(out.capacity(), 64);
    EXPECT_EQ(out.pixels(), block);
    EXPECT_EQ(out.byteSize(), 16u);
    EXPECT_EQ(pixelsOf(out), small);
}

TEST_F(PngDecoderTest, ImageFilesAreTriedAsBmpThenPngWhateverTheirExtension) {
    std::vector<uint8_t> pixels{1, 2, 3, 4, 5, 6, 7, 8};
    std::string png = write("picture.bmp", test::rgbaPng(2, 1, pixels));
    test::BmpLayout bmpLayout = test::bmpLayout(1, 1, 24);
    bmpLayout.rows = test::bmpRow({30, 20, 10}, 1);
    std::string bmp = write("picture.png", test::bmpFile(bmpLayout));

    PixelBuffer out;
    ASSERT_TRUE(decodeImageFile(out, png.c_str(), kNoKey));
    EXPECT_EQ(pixelsOf(out), pixels);
    ASSERT_TRUE(decodeImageFile(out, bmp.c_str(), kNoKey));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{10, 20, 30, 255}));
    EXPECT_FALSE(decodePngFile(out, bmp.c_str(), kNoKey));

    std::string neither = write("neither.png", "neither a BMP nor a PNG");
    EXPECT_FALSE(decodeImageFile(out, neither.c_str(), kNoKey));
    EXPECT_EQ(out.pixels(), nullptr);  // emptied by the BMP attempt
}

}  // namespace
}  // namespace vorlan
