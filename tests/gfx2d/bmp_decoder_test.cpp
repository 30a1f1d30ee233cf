// BMP decoding of files written byte by byte: every bit depth, row padding,
// both height signs, the key colour, and files that must be refused.
#include "gfx2d/bmp_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "gfx2d/image_file.h"
#include "gfx2d/test_images.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::bmpFile;
using test::BmpLayout;
using test::bmpPaletteEntry;
using test::bmpRow;
using Pixels = std::vector<uint8_t>;
constexpr int32_t kNoKey = -1;

BmpLayout layoutOf(int32_t width, int32_t height, uint16_t bits, std::string rows,
                   std::string headerRest = "") {
    BmpLayout layout = test::bmpLayout(width, height, bits);
    layout.rows = std::move(rows);
    layout.headerRest = std::move(headerRest);
    return layout;
}

TEST(BmpDecoder, DecodesEveryDepthAndRefusesWhatTheFileDoesNotHold) {
    const std::string palette =
        bmpPaletteEntry(255, 0, 0) + bmpPaletteEntry(0, 200, 0) + bmpPaletteEntry(10, 20, 30);
    const BmpLayout eightBit = layoutOf(2, 2, 8, bmpRow({2, 3}, 2) + bmpRow({0, 1}, 2), palette);
    BmpLayout bigInfo =
        layoutOf(1, 1, 8, bmpRow({1}, 3), bmpPaletteEntry(1, 2, 3) + bmpPaletteEntry(4, 5, 6));
    bigInfo.infoHeaderSize = 124;  // the palette still follows the 40-byte header
    const std::string good =
        bmpFile(layoutOf(2, 2, 24, bmpRow({1, 2, 3, 4, 5, 6}, 2) + bmpRow({1, 2, 3, 4, 5, 6}, 2)));
    std::string lowOffset = good;
    lowOffset[10] = 53;  // pixel data offset below 54
    BmpLayout farOffset = layoutOf(1, 1, 24, bmpRow({1, 2, 3}, 1));
    farOffset.dataOffset = 0x7FFFFFFF;
    BmpLayout paletteCut = layoutOf(1, 1, 8, "", std::string(100, '\0'));
    paletteCut.dataOffset = 54 + 1024;
    struct Case {
        const char* what;
        std::string bytes;
        int32_t key;
        std::optional<Pixels> pixels;  // nothing: refused, buffer emptied
    };
    const Case cases[] = {
        // 3 pixels: 9 bytes and 3 of padding a row; the bottom row stored first.
        {"24 bits",
         bmpFile(layoutOf(3, 2, 24,
                          bmpRow({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3) +
                              bmpRow({17, 18, 19, 20, 21, 22, 23, 24, 25}, 3))),
         kNoKey, Pixels{19, 18, 17, 255, 22, 21, 20, 255, 25, 24, 23, 255,
                        3,  2,  1,  255, 6,  5,  4,  255, 9,  8,  7,  255}},
        {"rows without padding",
         bmpFile(layoutOf(3, 1, 24, bmpRow({1, 2, 3, 4, 5, 6, 7, 8, 9}, 0))), kNoKey, std::nullopt},
        {"32 bits: the fourth byte is no alpha",
         bmpFile(layoutOf(2, 1, 32, bmpRow({1, 2, 3, 50, 4, 5, 6, 0}, 0))), kNoKey,
         Pixels{3, 2, 1, 255, 6, 5, 4, 255}},
        {"8 bits, index beyond the palette black", bmpFile(eightBit), kNoKey,
         Pixels{255, 0, 0, 255, 0, 200, 0, 255, 10, 20, 30, 255, 0, 0, 0, 255}},
        {"8 bits keyed", bmpFile(eightBit), 200 << 8,
         Pixels{255, 0, 0, 255, 0, 0, 0, 0, 10, 20, 30, 255, 0, 0, 0, 255}},
        {"8 bits, black beyond keyed", bmpFile(eightBit), 0,
         Pixels{255, 0, 0, 255, 0, 200, 0, 255, 10, 20, 30, 255, 0, 0, 0, 0}},
        {"palette after 40 bytes", bmpFile(bigInfo), kNoKey, Pixels{4, 5, 6, 255}},
        {"extra header bytes skipped",
         bmpFile(layoutOf(1, 1, 24, bmpRow({30, 20, 10}, 1), std::string(84, 'w'))), kNoKey,
         Pixels{10, 20, 30, 255}},
        // Negative height: as many rows, still the last stored on top.
        {"top-down height",
         bmpFile(layoutOf(1, -2, 24, bmpRow({0, 0, 1}, 1) + bmpRow({0, 0, 2}, 1))), kNoKey,
         Pixels{2, 0, 0, 255, 1, 0, 0, 255}},
        {"key 24 bits", bmpFile(layoutOf(2, 1, 24, bmpRow({0x80, 0, 0xFF, 0x80, 1, 0xFF}, 2))),
         0x8000FF, Pixels{0, 0, 0, 0, 255, 1, 128, 255}},
        {"key 32 bits",
         bmpFile(layoutOf(2, 1, 32, bmpRow({0x80, 0, 0xFF, 0, 0x80, 0, 0xFE, 0}, 0))), 0x8000FF,
         Pixels{0, 0, 0, 0, 254, 0, 128, 255}},
        {"zero width", bmpFile(layoutOf(0, 5, 24, "")), kNoKey, Pixels{}},
        {"4 bits", bmpFile(layoutOf(2, 2, 4, std::string(64, '\x11'), std::string(64, '\0'))),
         kNoKey, std::nullopt},
        {"16 bits", bmpFile(layoutOf(2, 2, 16, std::string(64, '\x11'))), kNoKey, std::nullopt},
        {"empty file", "", kNoKey, std::nullopt},
        {"wrong magic", "BN" + good.substr(2), kNoKey, std::nullopt},
        {"cut in the info header", good.substr(0, 40), kNoKey, std::nullopt},
        {"data offset below 54", lowOffset, kNoKey, std::nullopt},
        {"data offset beyond the file", bmpFile(farOffset), kNoKey, std::nullopt},
        {"negative width", bmpFile(layoutOf(-2, 2, 24, good.substr(54))), kNoKey, std::nullopt},
        {"height INT32_MIN", bmpFile(layoutOf(1, INT32_MIN, 24, "")), kNoKey, std::nullopt},
        {"2^32 pixels", bmpFile(layoutOf(65536, 65536, 24, "")), kNoKey, std::nullopt},
        {"row bytes overflow", bmpFile(layoutOf(0x60000101, 0x507F0200, 24, "")), kNoKey,
         std::nullopt},
        {"rows the file lacks", bmpFile(layoutOf(1000, 1000, 24, "")), kNoKey, std::nullopt},
        {"palette cut short", bmpFile(paletteCut), kNoKey, std::nullopt},
    };
    test::TempFolder temp;
    const std::string path = temp.path().string() + "\\image.bmp";  // "\" separates too
    for (const Case& c : cases) {
        test::writeWholeFile(temp.file("image.bmp"), c.bytes);
        PixelBuffer out;
        out.resize(4, 4);  // a failure empties it
        bool ok = decodeBmpFile(out, path.c_str(), c.key);
        ASSERT_EQ(ok, c.pixels.has_value()) << c.what;
        EXPECT_EQ(Pixels(out.pixels(), out.pixels() + out.byteSize()), c.pixels.value_or(Pixels{}))
            << c.what;
        if (!ok) {
            EXPECT_EQ(out.capacity(), 0) << c.what;
            out.resize(1, 1);
            EXPECT_FALSE(decodeImageFile(out, path.c_str(), c.key)) << c.what;
        }
    }
    PixelBuffer out;
    EXPECT_FALSE(decodeBmpFile(out, temp.path().c_str(), kNoKey));  // a folder
    EXPECT_FALSE(decodeBmpFile(out, nullptr, kNoKey));
}

TEST(BmpDecoder, StreamOfUnknownLengthIsReadAsFarAsItGoes) {
    std::string rows;
    for (int i = 0; i < 300 * 200; ++i) rows += std::string{char(i % 300), char(i / 300), 7};
    const std::string bytes = bmpFile(layoutOf(300, 200, 24, rows));
    for (size_t cut : {bytes.size(), bytes.size() - 1}) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);  // a pipe: its length is not known in advance
        std::thread writer([&, cut] {
            for (size_t done = 0; done < cut;) {
                ssize_t n = ::write(fds[1], bytes.data() + done, cut - done);
                if (n <= 0) break;
                done += size_t(n);
            }
            ::close(fds[1]);
        });
        std::FILE* stream = fdopen(fds[0], "rb");
        PixelBuffer out;
        bool ok = decodeBmpStream(out, stream, kNoKey);
        char sink[4096];
        while (std::fread(sink, 1, sizeof sink, stream) > 0) {
        }
        writer.join();
        std::fclose(stream);
        EXPECT_EQ(ok, cut == bytes.size());
        if (ok) {
            EXPECT_EQ(Pixels(out.pixels(), out.pixels() + 3), (Pixels{7, 199, 0}));
        }
    }
}

}  // namespace
}  // namespace vorlan
