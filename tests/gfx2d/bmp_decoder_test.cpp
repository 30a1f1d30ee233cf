// BMP decoding of files written byte by byte: every bit depth, row padding,
// both height signs, the key colour, and files that must be refused.
#include "gfx2d/bmp_decoder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
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
using test::bmpLayout;
using test::bmpPaletteEntry;
using test::bmpRow;

constexpr int32_t kNoKey = -1;

std::vector<uint8_t> pixelsOf(const PixelBuffer& buffer) {
    return std::vector<uint8_t>(buffer.pixels(), buffer.pixels() + buffer.byteSize());
}

class BmpDecoderTest : public ::testing::Test {
  protected:
    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = temp.file(name).string();
        test::writeWholeFile(path, bytes);
        return path;
    }
    // A buffer that already holds a picture, to see failures empty it.
    static PixelBuffer filledBuffer() {
        PixelBuffer buffer;
        buffer.resize(4, 4);
        buffer.pixels()[0] = 9;
        return buffer;
    }
    static void expectEmptied(const PixelBuffer& buffer) {
        EXPECT_EQ(buffer.width(), 0);
        EXPECT_EQ(buffer.height(), 0);
        EXPECT_EQ(buffer.capacity(), 0);
        EXPECT_EQ(buffer.pixels(), nullptr);
    }

    test::TempFolder temp;
};

TEST_F(BmpDecoderTest, TwentyFourBitRowsArePaddedToFourBytesAndStoredBottomFirst) {
    // 3 pixels: 9 bytes and 3 of padding per row. Bottom row stored first.
    BmpLayout layout = bmpLayout(3, 2, 24);
    layout.rows = bmpRow({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09}, 3) +
                  bmpRow({0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19}, 3);
    ASSERT_EQ(layout.rows.size(), 24u);
    PixelBuffer out;
    ASSERT_TRUE(decodeBmpFile(out, write("a.bmp", bmpFile(layout)).c_str(), kNoKey));
    ASSERT_EQ(out.width(), 3);
    ASSERT_EQ(out.height(), 2);
    EXPECT_EQ(out.capacity(), 24);
    EXPECT_EQ(pixelsOf(out),
              (std::vector<uint8_t>{
                  0x13, 0x12, 0x11, 255, 0x16, 0x15, 0x14, 255, 0x19, 0x18, 0x17, 255,
                  0x03, 0x02, 0x01, 255, 0x06, 0x05, 0x04, 255, 0x09, 0x08, 0x07, 255,
              }));

    // Rows without their padding are rows the file does not hold.
    layout.rows = layout.rows.substr(0, 21);
    EXPECT_FALSE(decodeBmpFile(out, write("short.bmp", bmpFile(layout)).c_str(), kNoKey));
    expectEmptied(out);
}

TEST_F(BmpDecoderTest, ThirtyTwoBitRowsOfFivePixelsTakeTwentyBytesAndIgnoreTheFourthByte) {
    BmpLayout layout = bmpLayout(5, 1, 32);
    std::vector<uint8_t> row;
    for (uint8_t i = 0; i < 5; ++i) {
        row.insert(row.end(), {static_cast<uint8_t>(10 * i), static_cast<uint8_t>(10 * i + 1),
                               static_cast<uint8_t>(10 * i + 2), static_cast<uint8_t>(i * 50)});
    }
    layout.rows = bmpRow(row, 0);
    ASSERT_EQ(layout.rows.size(), 20u);
    PixelBuffer out;
    ASSERT_TRUE(decodeBmpFile(out, write("a.bmp", bmpFile(layout)).c_str(), kNoKey));
    ASSERT_EQ(out.width(), 5);
    for (int x = 0; x < 5; ++x) {
        const uint8_t* p = out.pixels() + x * 4;
        EXPECT_EQ(p[0], 10 * x + 2);
        EXPECT_EQ(p[1], 10 * x + 1);
        EXPECT_EQ(p[2], 10 * x);
        EXPECT_EQ(p[3], 255) << "fourth byte " << x * 50 << " must not become alpha";
    }
}

TEST_F(BmpDecoderTest, EightBitIndicesTakeThePaletteAndIndicesBeyondItAreBlack) {
    // 3 palette entries, 2 pixels a row: 2 bytes and 2 of padding.
    BmpLayout layout = bmpLayout(2, 2, 8);
    layout.headerRest =
        bmpPaletteEntry(255, 0, 0) + bmpPaletteEntry(0, 200, 0) + bmpPaletteEntry(10, 20, 30);
    layout.rows = bmpRow({2, 3}, 2) + bmpRow({0, 1}, 2);
    PixelBuffer out;
    std::string path = write("p.bmp", bmpFile(layout));
    ASSERT_TRUE(decodeBmpFile(out, path.c_str(), kNoKey));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{255, 0, 0, 255, 0, 200, 0, 255,  //
                                                   10, 20, 30, 255, 0, 0, 0, 255}));
    // The key applies to palette colours, black beyond the palette included.
    ASSERT_TRUE(decodeBmpFile(out, path.c_str(), 200 << 8));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 0, 0,  //
                                                   10, 20, 30, 255, 0, 0, 0, 255}));
    ASSERT_TRUE(decodeBmpFile(out, path.c_str(), 0));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{255, 0, 0, 255, 0, 200, 0, 255,  //
                                                   10, 20, 30, 255, 0, 0, 0, 0}));
}

TEST_F(BmpDecoderTest, PaletteIsReadRightAfterTheFortyByteHeaderWhateverItsSizeSays) {
    BmpLayout layout = bmpLayout(1, 1, 8);
    layout.infoHeaderSize = 124;
    layout.headerRest = bmpPaletteEntry(1, 2, 3) + bmpPaletteEntry(4, 5, 6);
    layout.rows = bmpRow({1}, 3);
    PixelBuffer out;
    ASSERT_TRUE(decodeBmpFile(out, write("p.bmp", bmpFile(layout)).c_str(), kNoKey));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{4, 5, 6, 255}));

    // A 24-bit file with extra header bytes before its rows skips them.
    BmpLayout extra = bmpLayout(1, 1, 24);
    extra.headerRest = std::string(84, '\x77');
    extra.rows = bmpRow({30, 20, 10}, 1);
    ASSERT_TRUE(decodeBmpFile(out, write("e.bmp", bmpFile(extra)).c_str(), kNoKey));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{10, 20, 30, 255}));
}

TEST_F(BmpDecoderTest, NegativeHeightGivesAsManyRowsStillTakenBottomFirst) {
    BmpLayout layout = bmpLayout(1, -3, 24);
    layout.rows = bmpRow({0, 0, 1}, 1) + bmpRow({0, 0, 2}, 1) + bmpRow({0, 0, 3}, 1);
    PixelBuffer down;
    ASSERT_TRUE(decodeBmpFile(down, write("down.bmp", bmpFile(layout)).c_str(), kNoKey));
    layout.height = 3;
    PixelBuffer up;
    ASSERT_TRUE(decodeBmpFile(up, write("up.bmp", bmpFile(layout)).c_str(), kNoKey));
    EXPECT_EQ(down.height(), 3);
    EXPECT_EQ(pixelsOf(down), pixelsOf(up));
    EXPECT_EQ(down.pixels()[0], 3);  // the last stored row is the top
    EXPECT_EQ(down.pixels()[8], 1);
}

TEST_F(BmpDecoderTest, KeyColourPixelsBecomeTransparentBlack) {
    // Stored blue 128, green 0, red 255: the colour 0x8000FF.
    BmpLayout layout = bmpLayout(2, 1, 24);
    layout.rows = bmpRow({0x80, 0x00, 0xFF, 0x80, 0x01, 0xFF}, 2);
    std::string path = write("k.bmp", bmpFile(layout));
    PixelBuffer out;
    ASSERT_TRUE(decodeBmpFile(out, path.c_str(), 0x8000FF));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{0, 0, 0, 0, 255, 1, 128, 255}));
    ASSERT_TRUE(decodeBmpFile(out, path.c_str(), kNoKey));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{255, 0, 128, 255, 255, 1, 128, 255}));

    layout.bitsPerPixel = 32;
    layout.rows = bmpRow({0x80, 0x00, 0xFF, 0x00, 0x80, 0x00, 0xFE, 0xFF}, 0);
    ASSERT_TRUE(decodeBmpFile(out, write("k32.bmp", bmpFile(layout)).c_str(), 0x8000FF));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{0, 0, 0, 0, 254, 0, 128, 255}));
}

TEST_F(BmpDecoderTest, UnsupportedDepthsFailAsBmpAndAsImage) {
    for (uint16_t bits : {1, 4, 16, 0, 48}) {
        BmpLayout layout = bmpLayout(2, 2, bits);
        layout.headerRest = std::string(64, '\0');
        layout.rows = std::string(64, '\x11');
        std::string path = write("d.bmp", bmpFile(layout));
        PixelBuffer out = filledBuffer();
        EXPECT_FALSE(decodeBmpFile(out, path.c_str(), kNoKey)) << bits;
        expectEmptied(out);
        out = filledBuffer();
        EXPECT_FALSE(decodeImageFile(out, path.c_str(), kNoKey)) << bits;
        expectEmptied(out);
    }
}

TEST_F(BmpDecoderTest, MalformedHeadersAreRefused) {
    BmpLayout base = bmpLayout(2, 2, 24);
    base.rows = bmpRow({1, 2, 3, 4, 5, 6}, 2) + bmpRow({1, 2, 3, 4, 5, 6}, 2);
    std::string good = bmpFile(base);
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", ""});
    cases.push_back({"only the magic", "BM"});
    cases.push_back({"wrong magic", "BN" + good.substr(2)});
    cases.push_back({"cut inside the info header", good.substr(0, 40)});
    for (uint32_t offset : {0u, 14u, 53u}) {
        std::string bytes = good;
        std::string field;
        test::putLe32(field, offset);
        bytes.replace(10, 4, field);
        cases.push_back({"pixel data offset below 54", bytes});
    }
    BmpLayout beyond = base;
    beyond.dataOffset = 0x7FFFFFFF;
    cases.push_back({"header block larger than the file", bmpFile(beyond)});
    BmpLayout negativeWidth = base;
    negativeWidth.width = -2;
    cases.push_back({"negative width", bmpFile(negativeWidth)});
    for (auto [w, h] : {std::pair{65536, 65536}, std::pair{INT32_MAX, 1}, std::pair{1, INT32_MIN},
                        std::pair{46341, 46341}, std::pair{3, -INT32_MAX}, std::pair{1000, 1000},
                        std::pair{0x60000101, 0x507F0200}}) {
        BmpLayout huge = base;
        huge.width = w;
        huge.height = h;
        cases.push_back({"overflowing or absent rows", bmpFile(huge)});
    }
    BmpLayout paletteCut = bmpLayout(1, 1, 8);
    paletteCut.dataOffset = 54 + 1024;
    paletteCut.headerRest = std::string(100, '\0');
    cases.push_back({"palette cut short", bmpFile(paletteCut)});

    for (const Case& c : cases) {
        PixelBuffer out = filledBuffer();
        EXPECT_FALSE(decodeBmpFile(out, write("bad.bmp", c.bytes).c_str(), kNoKey)) << c.what;
        expectEmptied(out);
    }
    PixelBuffer out = filledBuffer();
    EXPECT_FALSE(decodeBmpFile(out, temp.file("missing.bmp").c_str(), kNoKey));
    expectEmptied(out);
    EXPECT_FALSE(decodeBmpFile(out, temp.path().c_str(), kNoKey));  // a folder
    EXPECT_FALSE(decodeBmpFile(out, nullptr, kNoKey));
    std::string tooLong = temp.path().string() + "/" + std::string(1100, 'x');
    EXPECT_FALSE(decodeBmpFile(out, tooLong.c_str(), kNoKey));
}

TEST_F(BmpDecoderTest, BackslashesInTheNameAreSeparators) {
    BmpLayout layout = bmpLayout(1, 1, 24);
    layout.rows = bmpRow({3, 2, 1}, 1);
    std::filesystem::create_directory(temp.file("gfx"));
    write("gfx/one.bmp", bmpFile(layout));
    std::string name = temp.path().string() + "\\gfx\\one.bmp";
    PixelBuffer out;
    ASSERT_TRUE(decodeBmpFile(out, name.c_str(), kNoKey));
    EXPECT_EQ(pixelsOf(out), (std::vector<uint8_t>{1, 2, 3, 255}));
}

TEST_F(BmpDecoderTest, ZeroWidthDecodesToAnEmptyPicture) {
    BmpLayout layout = bmpLayout(0, 5, 24);
    PixelBuffer out;
    ASSERT_TRUE(decodeBmpFile(out, write("z.bmp", bmpFile(layout)).c_str(), kNoKey));
    EXPECT_EQ(out.width(), 0);
    EXPECT_EQ(out.height(), 5);
    EXPECT_EQ(out.byteSize(), 0u);
}

TEST_F(BmpDecoderTest, StreamOfUnknownLengthIsReadAsFarAsItGoes) {
    // A pipe: the decoder cannot learn its length in advance.
    BmpLayout layout = bmpLayout(300, 200, 24);
    for (int y = 0; y < 200; ++y) {
        std::vector<uint8_t> row;
        for (int x = 0; x < 300; ++x) {
            row.insert(row.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7});
        }
        layout.rows += bmpRow(row, 0);
    }
    std::string bytes = bmpFile(layout);
    for (size_t cut : {bytes.size(), bytes.size() - 1}) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        std::thread writer([&, cut] {
            size_t done = 0;
            while (done < cut) {
                ssize_t n = ::write(fds[1], bytes.data() + done, cut - done);
                if (n <= 0) break;
                done += static_cast<size_t>(n);
            }
            ::close(fds[1]);
        });
        std::FILE* stream = fdopen(fds[0], "rb");
        PixelBuffer out;
        bool ok = decodeBmpStream(out, stream, kNoKey);
        // Drain whatever a failed decode left unread, so the writer ends.
        char sink[4096];
        while (std::fread(sink, 1, sizeof sink, stream) > 0) {
        }
        writer.join();
        std::fclose(stream);
        if (cut == bytes.size()) {
            ASSERT_TRUE(ok);
            EXPECT_EQ(out.width(), 300);
            const uint8_t* topLeft = out.pixels();
            EXPECT_EQ(topLeft[0], 7);
            EXPECT_EQ(topLeft[1], 199);
            EXPECT_EQ(topLeft[2], 0);
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(out.pixels(), nullptr);
        }
    }
}

}  // namespace
}  // namespace vorlan
