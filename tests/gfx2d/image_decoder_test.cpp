// Image decoding of BMP and PNG files the tests write themselves.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "gfx2d/bmp_decoder.h"
#include "gfx2d/image_file.h"
#include "gfx2d/png_decoder.h"
#include "gfx2d/test_images.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

using Pixels = std::vector<uint8_t>;
constexpr int32_t kNoKey = -1;

TEST(PixelBuffer, ClearsWhatItUsesAndRefusesImpossibleSizesKeepingItsPixels) {
    PixelBuffer buffer;
    ASSERT_TRUE(buffer.resize(3, 2));
    std::fill_n(buffer.pixels(), 24, 0xAB);
    ASSERT_TRUE(buffer.resize(2, 2));
    EXPECT_EQ(buffer.pixels()[15], 0);
    buffer.pixels()[3] = 7;
    for (auto [w, h] : {std::pair{-1, 2}, {INT32_MAX, 2}, {32768, 16384}, {46341, 46341}}) {
        EXPECT_FALSE(buffer.resize(w, h)) << w << " x " << h;
        EXPECT_EQ(buffer.width(), 2);
        EXPECT_EQ(buffer.pixels()[3], 7);
    }
}

// Every form each decoder takes, the key rule, and files refused. BMP is
// tried first whatever the name: a BMP named .png and a PNG named .bmp decode.
TEST(ImageFile, DecodesEveryFormAndRefusesWhatTheFileDoesNotHold) {
    struct Case {
        const char* what;
        std::string bytes;
        int32_t key;
        std::optional<Pixels> pixels;  // nothing: refused, the buffer emptied
    };
    // Palettes as BMP files store them: blue, green, red, 0.
    const std::string eightBit = bmpFile(2, 2, 8, bmpRow({2, 3}, 2) + bmpRow({0, 1}, 2),
                                         std::string("\0\0\xFF\0\0\xC8\0\0\x1E\x14\x0A\0", 12));
    // With a 124-byte info header the palette still follows the first 40 bytes.
    const std::string bigInfo =
        bmpFile(1, 1, 8, bmpRow({1}, 3), std::string("\3\2\1\0\6\5\4\0", 8), 0, 124);
    const std::string good =
        bmpFile(2, 2, 24, bmpRow({1, 2, 3, 4, 5, 6}, 2) + bmpRow({1, 2, 3, 4, 5, 6}, 2));
    const Case bmpCases[] = {
        // 3 pixels: 9 bytes and 3 of padding a row; the bottom row stored first.
        {"24 bits",
         bmpFile(3, 2, 24,
                 bmpRow({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3) +
                     bmpRow({17, 18, 19, 20, 21, 22, 23, 24, 25}, 3)),
         kNoKey, Pixels{19, 18, 17, 255, 22, 21, 20, 255, 25, 24, 23, 255,
                        3,  2,  1,  255, 6,  5,  4,  255, 9,  8,  7,  255}},
        {"32 bits: the fourth byte is no alpha",
         bmpFile(2, 1, 32, bmpRow({1, 2, 3, 50, 4, 5, 6, 0}, 0)), kNoKey,
         Pixels{3, 2, 1, 255, 6, 5, 4, 255}},
        {"8 bits, index beyond the palette black", eightBit, kNoKey,
         Pixels{255, 0, 0, 255, 0, 200, 0, 255, 10, 20, 30, 255, 0, 0, 0, 255}},
        {"8 bits keyed", eightBit, 200 << 8,
         Pixels{255, 0, 0, 255, 0, 0, 0, 0, 10, 20, 30, 255, 0, 0, 0, 255}},
        {"8 bits, black beyond keyed", eightBit, 0,
         Pixels{255, 0, 0, 255, 0, 200, 0, 255, 10, 20, 30, 255, 0, 0, 0, 0}},
        {"palette after 40 bytes", bigInfo, kNoKey, Pixels{4, 5, 6, 255}},
        {"extra header bytes skipped",
         bmpFile(1, 1, 24, bmpRow({30, 20, 10}, 1), std::string(84, 'w')), kNoKey,
         Pixels{10, 20, 30, 255}},
        // Negative height: as many rows, still the last stored on top.
        {"top-down height", bmpFile(1, -2, 24, bmpRow({0, 0, 1}, 1) + bmpRow({0, 0, 2}, 1)), kNoKey,
         Pixels{2, 0, 0, 255, 1, 0, 0, 255}},
        {"key 24 bits", bmpFile(2, 1, 24, bmpRow({0x80, 0, 0xFF, 0x80, 1, 0xFF}, 2)), 0x8000FF,
         Pixels{0, 0, 0, 0, 255, 1, 128, 255}},
        {"key 32 bits", bmpFile(2, 1, 32, bmpRow({0x80, 0, 0xFF, 0, 0x80, 0, 0xFE, 0}, 0)),
         0x8000FF, Pixels{0, 0, 0, 0, 254, 0, 128, 255}},
        {"zero width", bmpFile(0, 5, 24, ""), kNoKey, Pixels{}},
        {"4 bits", bmpFile(2, 2, 4, std::string(64, '\x11'), std::string(64, '\0')), kNoKey,
         std::nullopt},
        {"empty file", "", kNoKey, std::nullopt},
        {"wrong magic", "BN" + good.substr(2), kNoKey, std::nullopt},
        {"cut in the info header", good.substr(0, 40), kNoKey, std::nullopt},
        {"data offset beyond the file", bmpFile(1, 1, 24, bmpRow({1, 2, 3}, 1), "", 0x7FFFFFFF),
         kNoKey, std::nullopt},
        {"negative width", bmpFile(-2, 2, 24, good.substr(54)), kNoKey, std::nullopt},
        {"height INT32_MIN", bmpFile(1, INT32_MIN, 24, ""), kNoKey, std::nullopt},
        {"2^32 pixels", bmpFile(65536, 65536, 24, ""), kNoKey, std::nullopt},
        {"row bytes overflow", bmpFile(0x60000101, 0x507F0200, 24, ""), kNoKey, std::nullopt},
        {"rows the file lacks", bmpFile(1000, 1000, 24, ""), kNoKey, std::nullopt},
        {"palette cut short", bmpFile(1, 1, 8, "", std::string(100, '\0'), 54 + 1024), kNoKey,
         std::nullopt},
    };
    const std::string palette("\xFF\0\0\0\xFF\0\0\0\xFF\x09\x09\x09", 12);
    const std::vector<std::vector<uint8_t>> rgb = {{255, 0, 128, 255, 0, 127, 7, 8, 9}};
    const Pixels rgba = {255, 0, 128, 255, 1, 2, 3, 0, 4, 5, 6, 77, 255, 0, 128, 10};
    const Case pngCases[] = {
        {"palette keyed like RGB", pngFile(4, 8, 3, {{0, 1, 2, 1}}, palette), 0x00FF00,
         Pixels{255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0}},
        {"palette alpha, no key",
         pngFile(4, 8, 3, {{0, 1, 2, 1}}, palette, std::string("\xFF\x80\0", 3)), 0x0000FF,
         Pixels{255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 0, 255, 0, 128}},
        {"packed indices 0, 1, 2, 3, 1", pngFile(5, 2, 3, {{0b00011011, 0b01000000}}, palette),
         kNoKey,
         Pixels{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 9, 9, 9, 255, 0, 255, 0, 255}},
        {"grey, no key", pngFile(2, 8, 0, {{0, 100}}), 100 * 0x010101,
         Pixels{0, 0, 0, 255, 100, 100, 100, 255}},
        {"grey 2 bits", pngFile(2, 2, 0, {{0b01100000}}), kNoKey,
         Pixels{85, 85, 85, 255, 170, 170, 170, 255}},
        {"grey with alpha refused", pngFile(1, 8, 4, {{10, 20}}), kNoKey, std::nullopt},
        {"grey with a transparent value refused",
         pngFile(2, 8, 0, {{10, 20}}, "", std::string("\0\x0A", 2)), kNoKey, std::nullopt},
        {"16 bits: the high bytes", pngFile(1, 16, 6, {{1, 2, 3, 4, 5, 6, 0x80, 0xFF}}), kNoKey,
         Pixels{1, 3, 5, 0x80}},
        {"RGBA ignores the key",
         pngFile(2, 8, 6, {{rgba.begin(), rgba.begin() + 8}, {rgba.begin() + 8, rgba.end()}}),
         0x8000FF, rgba},
        {"RGB keyed", pngFile(3, 8, 2, rgb), 0x8000FF,
         Pixels{0, 0, 0, 0, 255, 0, 127, 255, 7, 8, 9, 255}},
        {"RGB unkeyed", pngFile(3, 8, 2, rgb), kNoKey,
         Pixels{255, 0, 128, 255, 255, 0, 127, 255, 7, 8, 9, 255}},
        {"RGB transparent colour, no key",
         pngFile(3, 8, 2, rgb, "", std::string("\0\7\0\x08\0\x09", 6)), 0x8000FF,
         Pixels{255, 0, 128, 255, 255, 0, 127, 255, 7, 8, 9, 0}},
    };
    TempFolder temp;
    auto expectDecodes = [&](const char* name, const Case& c) {
        SCOPED_TRACE(c.what);
        writeWholeFile(temp.file(name), c.bytes);
        std::string path = temp.path().string() + "\\" + name;  // "\" separates too
        PixelBuffer out;
        out.resize(4, 4);
        testing::internal::CaptureStdout();
        bool ok = decodeImageFile(out, path.c_str(), c.key);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        ASSERT_EQ(ok, c.pixels.has_value());
        EXPECT_EQ(Pixels(out.pixels(), out.pixels() + out.byteSize()), c.pixels.value_or(Pixels{}));
        EXPECT_EQ(out.capacity() == 0, !ok);
    };
    for (const Case& c : bmpCases) expectDecodes("image.png", c);
    for (const Case& c : pngCases) expectDecodes("image.bmp", c);
    PixelBuffer out;
    EXPECT_FALSE(decodeImageFile(out, temp.path().c_str(), kNoKey));  // a folder
    EXPECT_FALSE(decodeImageFile(out, nullptr, kNoKey));
}

TEST(BmpDecoder, StreamOfUnknownLengthIsReadAsFarAsItGoes) {
    std::string rows;
    for (int i = 0; i < 300 * 200; ++i) rows += std::string{char(i % 300), char(i / 300), 7};
    const std::string bytes = bmpFile(300, 200, 24, rows);
    TempFolder temp;
    for (size_t cut : {bytes.size(), bytes.size() - 1}) {
        writeWholeFile(temp.file("cut.bmp"), bytes.substr(0, cut));
        // Through a pipe: its length is not known in advance.
        std::FILE* stream = popen(("cat '" + temp.file("cut.bmp").string() + "'").c_str(), "r");
        ASSERT_NE(stream, nullptr);
        PixelBuffer out;
        bool ok = decodeBmpStream(out, stream, kNoKey);
        pclose(stream);
        EXPECT_EQ(ok, cut == bytes.size());
        if (ok) {
            EXPECT_EQ(Pixels(out.pixels(), out.pixels() + 3), (Pixels{7, 199, 0}));
        }
    }
}

TEST(PngDecoder, BrokenFilesAreRefusedAndClosed) {
    Pixels pixels(13 * 11 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * i / 7);
    const std::string good = rgbaPng({13, 11, pixels});
    // The last bytes of the compressed rows, before the CRC and the end chunk.
    const size_t inRows = good.size() - 20;
    std::string badCrc = good;
    badCrc[inRows] ^= 0x55;
    TempFolder temp;
    auto decode = [&](const std::string& bytes) {
        PixelBuffer out;
        writeWholeFile(temp.file("image.png"), bytes);
        return decodePngFile(out, temp.file("image.png").c_str(), kNoKey);
    };
    auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const auto filesBefore = openFiles();
    for (const std::string& bytes :
         {std::string(), std::string("GIF89a and more"), good.substr(0, 8), good.substr(0, 20),
          good.substr(0, inRows), badCrc, pngFile(13, 8, 6, {})}) {
        EXPECT_FALSE(decode(bytes)) << bytes.size();
        EXPECT_EQ(openFiles(), filesBefore) << "closed on every failure";
    }
    ASSERT_TRUE(decode(good));  // still fine after all of that
}

}  // namespace
}  // namespace vorlan::test
