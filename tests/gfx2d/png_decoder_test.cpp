// PNG decoding of images written with libpng by the tests: palette, grey,
// 16-bit and RGBA forms, the key colour, broken files, and the order in
// which image files are tried.
#include "gfx2d/png_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "gfx2d/image_file.h"
#include "gfx2d/test_images.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::pngFile;
using test::PngLayout;
using Pixels = std::vector<uint8_t>;
constexpr int32_t kNoKey = -1;

size_t openFileCount() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& item : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

PngLayout layoutOf(int colourType, int depth, uint32_t width,
                   std::vector<std::vector<uint8_t>> rows) {
    PngLayout layout;
    layout.colourType = colourType;
    layout.bitDepth = depth;
    layout.width = width;
    layout.height = uint32_t(rows.size());
    layout.rows = std::move(rows);
    return layout;
}

TEST(PngDecoder, DecodesEveryFormAsTheKeyRuleSays) {
    PngLayout palette = layoutOf(PNG_COLOR_TYPE_PALETTE, 8, 4, {{0, 1, 2, 1}});
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    PngLayout paletteAlpha = palette;
    paletteAlpha.paletteAlpha = {255, 128, 0};
    PngLayout packed = palette;
    packed.bitDepth = 2;
    packed.width = 5;
    packed.rows = {{0b00011011, 0b01000000}};  // indices 0, 1, 2, 3, 1
    PngLayout greyTrns = layoutOf(PNG_COLOR_TYPE_GRAY, 8, 2, {{10, 20}});
    greyTrns.hasTransparentColour = true;
    greyTrns.transparentColour.gray = 10;
    const PngLayout rgb = layoutOf(PNG_COLOR_TYPE_RGB, 8, 3, {{255, 0, 128, 255, 0, 127, 7, 8, 9}});
    PngLayout rgbTrns = rgb;
    rgbTrns.hasTransparentColour = true;
    rgbTrns.transparentColour.red = 7;
    rgbTrns.transparentColour.green = 8;
    rgbTrns.transparentColour.blue = 9;
    const Pixels rgba = {255, 0, 128, 255, 1, 2, 3, 0, 4, 5, 6, 77, 255, 0, 128, 10};
    struct Case {
        const char* what;
        std::string bytes;
        int32_t key;
        std::optional<Pixels> pixels;  // nothing: refused, buffer kept
    };
    const Case cases[] = {
        {"palette keyed like RGB", pngFile(palette), 0x00FF00,
         Pixels{255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0}},
        {"palette alpha, no key", pngFile(paletteAlpha), 0x0000FF,
         Pixels{255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 0, 255, 0, 128}},
        {"packed indices", pngFile(packed), kNoKey,
         Pixels{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 9, 9, 9, 255, 0, 255, 0, 255}},
        {"grey, no key", pngFile(layoutOf(PNG_COLOR_TYPE_GRAY, 8, 2, {{0, 100}})), 100 * 0x010101,
         Pixels{0, 0, 0, 255, 100, 100, 100, 255}},
        {"grey 1 bit", pngFile(layoutOf(PNG_COLOR_TYPE_GRAY, 1, 2, {{0b10000000}})), kNoKey,
         Pixels{255, 255, 255, 255, 0, 0, 0, 255}},
        {"grey 2 bits", pngFile(layoutOf(PNG_COLOR_TYPE_GRAY, 2, 2, {{0b01100000}})), kNoKey,
         Pixels{85, 85, 85, 255, 170, 170, 170, 255}},
        {"grey with alpha refused", pngFile(layoutOf(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 1, {{10, 20}})),
         kNoKey, std::nullopt},
        {"grey with a transparent value refused", pngFile(greyTrns), kNoKey, std::nullopt},
        {"16 bits: the high byte",
         pngFile(layoutOf(PNG_COLOR_TYPE_RGB, 16, 1, {{0xAB, 0xCD, 0x12, 0xFF, 0x00, 0x80}})),
         kNoKey, Pixels{0xAB, 0x12, 0x00, 255}},
        {"16-bit alpha",
         pngFile(layoutOf(PNG_COLOR_TYPE_RGB_ALPHA, 16, 1, {{1, 2, 3, 4, 5, 6, 0x80, 0xFF}})),
         kNoKey, Pixels{1, 3, 5, 0x80}},
        {"RGBA ignores the key", test::rgbaPng(2, 2, rgba), 0x8000FF, rgba},
        {"RGB keyed", pngFile(rgb), 0x8000FF, Pixels{0, 0, 0, 0, 255, 0, 127, 255, 7, 8, 9, 255}},
        {"RGB unkeyed", pngFile(rgb), kNoKey,
         Pixels{255, 0, 128, 255, 255, 0, 127, 255, 7, 8, 9, 255}},
        {"RGB transparent colour, no key", pngFile(rgbTrns), 0x8000FF,
         Pixels{255, 0, 128, 255, 255, 0, 127, 255, 7, 8, 9, 0}},
    };
    Pixels kept(36, 0);  // a refusal leaves the buffer as it was
    kept[5] = 42;
    test::TempFolder temp;
    for (const Case& c : cases) {
        test::writeWholeFile(temp.file("image.png"), c.bytes);
        PixelBuffer out;
        out.resize(3, 3);
        out.pixels()[5] = 42;
        testing::internal::CaptureStdout();
        const bool ok = decodePngFile(out, temp.file("image.png").c_str(), c.key);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.what;
        ASSERT_EQ(ok, c.pixels.has_value()) << c.what;
        EXPECT_EQ(Pixels(out.pixels(), out.pixels() + out.byteSize()), ok ? *c.pixels : kept)
            << c.what;
    }
}

TEST(PngDecoder, InterlacedAndBrokenFiles) {
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < 11; ++y) {
        rows.emplace_back();
        for (int x = 0; x < 13; ++x)
            rows.back().insert(rows.back().end(),
                               {uint8_t(x * 19), uint8_t(y * 23), uint8_t(x * y)});
    }
    PngLayout layout = layoutOf(PNG_COLOR_TYPE_RGB, 8, 13, rows);
    const std::string good = pngFile(layout);
    layout.interlaced = true;
    const std::string interlaced = pngFile(layout);
    const size_t idat = good.find("IDAT");
    const size_t idatLength = size_t(uint8_t(good[idat - 2])) << 8 | uint8_t(good[idat - 1]);
    std::string badCrc = good;
    badCrc[idat + 4 + idatLength / 2] ^= 0x55;  // inside the compressed rows
    std::string zeroHeight = good;
    zeroHeight.replace(20, 4, std::string(4, '\0'));  // IHDR height, then a fresh CRC
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(zeroHeight.data() + 12), 17);
    for (int i = 0; i < 4; ++i) zeroHeight[29 + i] = char(crc >> (24 - 8 * i));

    test::TempFolder temp;
    auto decode = [&](const std::string& bytes, PixelBuffer& out) {
        test::writeWholeFile(temp.file("image.png"), bytes);
        return decodePngFile(out, temp.file("image.png").c_str(), kNoKey);
    };
    PixelBuffer plain, laced;
    ASSERT_TRUE(decode(good, plain));
    ASSERT_TRUE(decode(interlaced, laced));
    EXPECT_EQ(Pixels(laced.pixels(), laced.pixels() + laced.byteSize()),
              Pixels(plain.pixels(), plain.pixels() + plain.byteSize()));
    const size_t filesBefore = openFileCount();
    for (const std::string& bytes :
         {std::string(), std::string("GIF89a and more"), good.substr(0, 8), good.substr(0, 20),
          good.substr(0, idat + 4 + idatLength / 2), badCrc, zeroHeight}) {
        PixelBuffer out;
        out.resize(2, 2);
        out.pixels()[0] = 42;
        EXPECT_FALSE(decode(bytes, out)) << bytes.size();
        EXPECT_EQ(out.pixels()[0], 42);           // untouched
        EXPECT_EQ(openFileCount(), filesBefore);  // closed on every failure
    }
    PixelBuffer out;
    EXPECT_FALSE(decodePngFile(out, nullptr, kNoKey));
    ASSERT_TRUE(decode(good, out));  // still fine after all of that
}

TEST(ImageFile, TriedAsBmpThenPngWhateverTheName) {
    test::TempFolder temp;
    const Pixels pixels{1, 2, 3, 4, 5, 6, 7, 8};
    test::writeWholeFile(temp.file("picture.bmp"), test::rgbaPng(2, 1, pixels));
    test::BmpLayout bmp = test::bmpLayout(1, 1, 24);
    bmp.rows = test::bmpRow({30, 20, 10}, 1);
    test::writeWholeFile(temp.file("picture.png"), test::bmpFile(bmp));
    test::writeWholeFile(temp.file("neither.png"), "neither a BMP nor a PNG");
    PixelBuffer out;
    ASSERT_TRUE(decodeImageFile(out, temp.file("picture.bmp").c_str(), kNoKey));
    EXPECT_EQ(Pixels(out.pixels(), out.pixels() + out.byteSize()), pixels);
    ASSERT_TRUE(decodeImageFile(out, temp.file("picture.png").c_str(), kNoKey));
    EXPECT_EQ(Pixels(out.pixels(), out.pixels() + out.byteSize()), (Pixels{10, 20, 30, 255}));
    EXPECT_FALSE(decodePngFile(out, temp.file("picture.png").c_str(), kNoKey));
    EXPECT_FALSE(decodeImageFile(out, temp.file("neither.png").c_str(), kNoKey));
    EXPECT_EQ(out.pixels(), nullptr);  // emptied by the BMP attempt
}

}  // namespace
}  // namespace vorlan
