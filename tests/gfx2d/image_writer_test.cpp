// Saved pictures, read back by ImageMagick rather than the runtime's own
// decoders, and saves that fail leaving the old file as it was.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx2d/image_writer.h"
#include "gfx2d/independent_reader.h"
#include "support/child_entry.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::independentRgba;
using test::readWholeFile;
using test::TempFolder;

uint32_t le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// Colour of pixel (x, y counted from the top) as red | green << 8 | blue << 16.
uint32_t pixel(int32_t x, int32_t y) {
    return static_cast<uint32_t>((x * 7 + y) & 0xFF) | ((x * 3 + y * 5) & 0xFF) << 8 |
           ((y * 11 + 1) & 0xFF) << 16;
}

// A read-back block as OpenGL gives it: bottom row first, rows padded
// beyond the picture, more rows than the picture, junk outside it.
struct Block {
    std::vector<uint8_t> bytes;
    BgrImage image;

    Block(int32_t width, int32_t height) {
        size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4 + 4;
        bytes.assign(stride * (height + 3), 0xEE);
        image = {bytes.data(), width, height, stride, height + 3};
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) set(x, y, pixel(x, y));
        }
    }
    void set(int32_t x, int32_t y, uint32_t colour) {
        uint8_t* p = bytes.data() + static_cast<size_t>(image.height - 1 - y) * image.rowStride +
                     static_cast<size_t>(x) * 3;
        p[0] = static_cast<uint8_t>(colour >> 16);
        p[1] = static_cast<uint8_t>(colour >> 8);
        p[2] = static_cast<uint8_t>(colour);
    }
};

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(ImageWriter, BmpHeaderPaddingAndPixels) {
    // 801 wide gives rows of 2404 bytes: the last three are padding.
    for (auto [width, height] : {std::pair{1, 1}, {2, 2}, {3, 3}, {100, 30}, {801, 4}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        TempFolder temp;
        ASSERT_TRUE(writeImageFile(temp.file("shot").c_str(), Block(width, height).image, -1));
        std::string file = readWholeFile(temp.file("shot"));
        size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        ASSERT_EQ(file.size(), 54 + stride * height);
        EXPECT_EQ(file.substr(0, 2), "BM");
        struct Field {
            size_t at;
            int size;
            uint32_t value;
        };
        for (Field f : {Field{2, 4, static_cast<uint32_t>(file.size())},
                        {6, 4, 0},
                        {10, 4, 54},
                        {14, 4, 40},
                        {18, 4, static_cast<uint32_t>(width)},
                        {22, 4, static_cast<uint32_t>(height)},
                        {26, 2, 1},
                        {28, 2, 24},
                        {30, 4, 0},
                        {38, 4, 10000},
                        {42, 4, 10000},
                        {46, 4, 0},
                        {50, 4, 0}}) {
            EXPECT_EQ(le(file, f.at, f.size), f.value) << "field at " << f.at;
        }
        for (int32_t row = 0; row < height; ++row) {
            for (size_t pad = width * 3u; pad < stride; ++pad) {
                ASSERT_EQ(file[54 + row * stride + pad], 0) << "padding of row " << row;
            }
        }
        std::string rgba = independentRgba(temp.file("shot"));
        ASSERT_EQ(rgba.size(), static_cast<size_t>(width) * height * 4);
        for (int32_t i = 0; i < width * height; ++i) {
            ASSERT_EQ(le(rgba, i * 4, 3), pixel(i % width, i / width)) << i;
        }
    }
}

TEST(ImageWriter, PngByNameWithAlphaAndNoPalette) {
    for (auto [name, png] : {std::pair{"a.png", true}, {"SHOT.PNG", true}, {"x.png2", false}}) {
        SCOPED_TRACE(name);
        TempFolder temp;
        Block block(37, 9);
        block.set(5, 2, 0x8000FF);
        ASSERT_TRUE(writeImageFile(temp.file(name).c_str(), block.image, 0x8000FF));
        std::string file = readWholeFile(temp.file(name));
        EXPECT_EQ(file.substr(0, png ? 4 : 2), png ? "\x89PNG" : "BM");
        if (!png) continue;
        EXPECT_EQ(file.find("PLTE"), std::string::npos);
        std::string rgba = independentRgba(temp.file(name));
        ASSERT_EQ(rgba.size(), 37u * 9 * 4);
        for (int32_t i = 0; i < 37 * 9; ++i) {
            bool keyed = i == 2 * 37 + 5;
            ASSERT_EQ(static_cast<uint8_t>(rgba[i * 4 + 3]), keyed ? 0 : 255) << i;
            if (!keyed) {
                ASSERT_EQ(le(rgba, i * 4, 3), pixel(i % 37, i / 37)) << i;
            }
        }
    }
    EXPECT_FALSE(isPngFileName(".png"));  // too short to be a name with an extension
}

TEST(ImageWriter, KeyColourOnlyWithinTheColourRange) {
    // -1 is keying off: white must stay white. A key beyond 24 bits is off too.
    for (auto [key, keyed] : {std::pair{-1, false}, {0xFFFFFF, true}, {0x1FFFFFF, false}}) {
        SCOPED_TRACE(key);
        TempFolder temp;
        Block block(3, 2);
        block.set(1, 1, 0xFFFFFF);
        ASSERT_TRUE(writeImageFile(temp.file("k.bmp").c_str(), block.image, key));
        ASSERT_TRUE(writeImageFile(temp.file("k.png").c_str(), block.image, key));
        std::string bmp = independentRgba(temp.file("k.bmp"));
        std::string png = independentRgba(temp.file("k.png"));
        ASSERT_EQ(bmp.size(), 24u);
        ASSERT_EQ(png.size(), 24u);
        EXPECT_EQ(le(bmp, 16, 3), keyed ? 0x8000FFu : 0xFFFFFFu);
        EXPECT_EQ(static_cast<uint8_t>(png[19]), keyed ? 0 : 255);
    }
}

TEST(ImageWriter, RefusedSavesWriteNothing) {
    TempFolder temp;
    std::filesystem::create_directory(temp.file("taken.bmp"));
    Block good(4, 4);
    BgrImage zeroWidth = good.image, shortRows = good.image, fewRows = good.image;
    zeroWidth.width = 0;
    shortRows.rowStride = 11;
    fewRows.rowCount = 3;
    std::string longName = (temp.path() / std::string(1024, 'n')).string().substr(0, 1024);
    for (auto [name, image] : {std::pair{temp.file("a.bmp").string(), zeroWidth},
                               {temp.file("b.png").string(), shortRows},
                               {temp.file("c.bmp").string(), fewRows},
                               {longName, good.image},
                               {temp.file("no/folder.bmp").string(), good.image},
                               {temp.file("taken.bmp").string(), good.image}}) {
        EXPECT_FALSE(writeImageFile(name.c_str(), image, -1)) << name.substr(0, 80);
    }
    EXPECT_EQ(folderEntries(temp.path()), std::vector<std::string>{"taken.bmp"});
}

// Saves a noisy picture, far over the file size limit, onto an old file.
VORLAN_TEST_CHILD(SaveOverSizeLimit) {
    signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    Block block(300, 200);
    uint32_t state = 12345;
    for (uint8_t& byte : block.bytes) byte = static_cast<uint8_t>((state *= 1103515245) >> 24);
    std::string name = std::getenv("VORLAN_SAVE_TARGET");
    std::printf("saved %d\n", writeImageFile(name.c_str(), block.image, -1) ? 1 : 0);
}

TEST(ImageWriter, SaveFailingPartWayKeepsTheOldFile) {
    for (const char* name : {"old.bmp", "old.png"}) {
        SCOPED_TRACE(name);
        TempFolder temp;
        std::string old = "the earlier picture, kept byte for byte";
        test::writeWholeFile(temp.file(name), old);
        setenv("VORLAN_SAVE_TARGET", temp.file(name).c_str(), 1);
        auto child = test::startChild("SaveOverSizeLimit");
        unsetenv("VORLAN_SAVE_TARGET");
        EXPECT_EQ(child->waitForExit(30000), 0);
        EXPECT_NE(child->output().find("saved 0"), std::string::npos) << child->output();
        EXPECT_EQ(readWholeFile(temp.file(name)), old);
        EXPECT_EQ(folderEntries(temp.path()), std::vector<std::string>{name});
    }
}

}  // namespace
}  // namespace vorlan
