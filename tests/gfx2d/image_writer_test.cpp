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
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

using test::independentRgba;
using test::readWholeFile;
using test::runCommand;
using test::TempFolder;

uint32_t le(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

// A read-back block as OpenGL gives it: rows padded to 4 bytes and then
// some, more rows than the picture (a texture), and junk in every byte
// outside the picture.
struct Block {
    std::vector<uint8_t> bytes;
    BgrImage image;

    // Colour of pixel (x, y counted from the top): varies in every channel.
    static uint32_t pixel(int32_t x, int32_t y) {
        return static_cast<uint32_t>((x * 7 + y) & 0xFF) | ((x * 3 + y * 5) & 0xFF) << 8 |
               ((y * 11 + 1) & 0xFF) << 16;
    }
    void setRgb(int32_t x, int32_t y, uint32_t rgb) {
        // Bottom row first.
        uint8_t* p = bytes.data() + static_cast<size_t>(image.height - 1 - y) * image.rowStride +
                     static_cast<size_t>(x) * 3;
        p[0] = static_cast<uint8_t>(rgb >> 16);
        p[1] = static_cast<uint8_t>(rgb >> 8);
        p[2] = static_cast<uint8_t>(rgb);
    }
};

Block makeBlock(int32_t width, int32_t height) {
    Block block;
    size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4 + 4;
    block.bytes.assign(stride * (height + 3), 0xEE);
    block.image = {block.bytes.data(), width, height, stride, height + 3};
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) block.setRgb(x, y, Block::pixel(x, y));
    }
    return block;
}

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
        Block block = makeBlock(width, height);
        ASSERT_TRUE(writeImageFile(temp.file("shot.bmp").c_str(), block.image, -1));
        std::string file = readWholeFile(temp.file("shot.bmp"));
        size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
        ASSERT_EQ(file.size(), 54 + stride * height);
        EXPECT_EQ(file.substr(0, 2), "BM");
        EXPECT_EQ(le(file, 2, 4), file.size());
        EXPECT_EQ(le(file, 6, 4), 0u);
        EXPECT_EQ(le(file, 10, 4), 54u);
        EXPECT_EQ(le(file, 14, 4), 40u);
        EXPECT_EQ(le(file, 18, 4), static_cast<uint32_t>(width));
        EXPECT_EQ(le(file, 22, 4), static_cast<uint32_t>(height));
        EXPECT_EQ(le(file, 26, 2), 1u);
        EXPECT_EQ(le(file, 28, 2), 24u);
        EXPECT_EQ(le(file, 30, 4), 0u);
        EXPECT_EQ(le(file, 38, 4), 10000u);
        EXPECT_EQ(le(file, 42, 4), 10000u);
        EXPECT_EQ(le(file, 46, 4), 0u);
        EXPECT_EQ(le(file, 50, 4), 0u);
        for (int32_t row = 0; row < height; ++row) {
            for (size_t pad = width * 3u; pad < stride; ++pad) {
                ASSERT_EQ(file[54 + row * stride + pad], 0) << "padding of row " << row;
            }
        }
        std::string rgba = independentRgba(temp.file("shot.bmp"));
        ASSERT_EQ(rgba.size(), static_cast<size_t>(width) * height * 4);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                uint32_t want = Block::pixel(x, y);
                const char* p = rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
                ASSERT_EQ(le(std::string(p, 3), 0, 3), want) << x << "," << y;
            }
        }
    }
}

TEST(ImageWriter, PngWithAlphaAndNoPalette) {
    for (const char* name : {"shot.png", "SHOT.PNG", "a.Png"}) {
        SCOPED_TRACE(name);
        TempFolder temp;
        Block block = makeBlock(37, 9);
        block.setRgb(5, 2, 0x8000FF);
        ASSERT_TRUE(writeImageFile(temp.file(name).c_str(), block.image, 0x8000FF));
        EXPECT_EQ(runCommand("identify -format '%m %w %h' '" + temp.file(name).string() + "'"),
                  "PNG 37 9");
        std::string file = readWholeFile(temp.file(name));
        EXPECT_EQ(file.find("PLTE"), std::string::npos);
        std::string rgba = independentRgba(temp.file(name));
        ASSERT_EQ(rgba.size(), 37u * 9 * 4);
        for (int32_t y = 0; y < 9; ++y) {
            for (int32_t x = 0; x < 37; ++x) {
                const char* p = rgba.data() + (static_cast<size_t>(y) * 37 + x) * 4;
                bool keyed = x == 5 && y == 2;
                ASSERT_EQ(static_cast<uint8_t>(p[3]), keyed ? 0 : 255) << x << "," << y;
                if (!keyed) {
                    ASSERT_EQ(le(std::string(p, 3), 0, 3), Block::pixel(x, y));
                }
            }
        }
    }
}

TEST(ImageWriter, FormatFollowsTheName) {
    struct Case {
        const char* name;
        const char* format;
    };
    for (Case c : {Case{"shot.png", "PNG"},
                   {"x.PnG", "PNG"},
                   {"shot.bmp", "BMP"},
                   {"shot", "BMP"},
                   {"x.png2", "BMP"}}) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        Block block = makeBlock(4, 4);
        ASSERT_TRUE(writeImageFile(temp.file(c.name).c_str(), block.image, -1));
        // ImageMagick guesses by extension unless told the file is what
        // its bytes say; the magic numbers decide.
        std::string found =
            runCommand("identify -format '%m' '" + temp.file(c.name).string() + "[0]' 2>&1");
        EXPECT_EQ(found.substr(0, 3), c.format) << found;
    }
    // A bare extension is no PNG name: it is too short to hold a name.
    EXPECT_FALSE(isPngFileName(".png"));
    EXPECT_TRUE(isPngFileName("a.png"));
}

TEST(ImageWriter, KeyColourOnlyWithinTheColourRange) {
    struct Case {
        int32_t key;
        bool whiteKeyed;
    };
    // -1 is keying off: white must stay white. A key beyond 24 bits is off too.
    for (Case c : {Case{-1, false}, {0xFFFFFF, true}, {0x1FFFFFF, false}, {0x00FF00, false}}) {
        SCOPED_TRACE(c.key);
        TempFolder temp;
        Block block = makeBlock(3, 2);
        block.setRgb(1, 1, 0xFFFFFF);
        ASSERT_TRUE(writeImageFile(temp.file("k.bmp").c_str(), block.image, c.key));
        ASSERT_TRUE(writeImageFile(temp.file("k.png").c_str(), block.image, c.key));
        std::string bmp = independentRgba(temp.file("k.bmp"));
        std::string png = independentRgba(temp.file("k.png"));
        ASSERT_EQ(bmp.size(), 24u);
        ASSERT_EQ(png.size(), 24u);
        size_t at = (1 * 3 + 1) * 4;
        EXPECT_EQ(le(bmp, at, 3), c.whiteKeyed ? 0x8000FFu : 0xFFFFFFu);
        EXPECT_EQ(static_cast<uint8_t>(png[at + 3]), c.whiteKeyed ? 0 : 255);
    }
}

TEST(ImageWriter, RefusedSavesWriteNothing) {
    TempFolder temp;
    Block good = makeBlock(4, 4);
    BgrImage zeroWidth = good.image;
    zeroWidth.width = 0;
    BgrImage shortRows = good.image;
    shortRows.rowStride = 11;
    BgrImage fewRows = good.image;
    fewRows.rowCount = 3;
    BgrImage noPixels = good.image;
    noPixels.pixels = nullptr;
    std::string longName = temp.path().string() + "/" + std::string(1024, 'n');
    longName.resize(1024);
    struct Case {
        std::string name;
        BgrImage image;
    };
    for (const Case& c : {Case{temp.file("a.bmp").string(), zeroWidth},
                          {temp.file("b.png").string(), shortRows},
                          {temp.file("c.bmp").string(), fewRows},
                          {temp.file("d.bmp").string(), noPixels},
                          {longName, good.image},
                          {temp.file("no/such/folder.bmp").string(), good.image},
                          {temp.path().string() + "/", good.image}}) {
        SCOPED_TRACE(c.name.substr(0, 80));
        EXPECT_FALSE(writeImageFile(c.name.c_str(), c.image, -1));
    }
    EXPECT_TRUE(folderEntries(temp.path()).empty());
}

TEST(ImageWriter, ReplacingADirectoryFailsAndLeavesNoTemporary) {
    TempFolder temp;
    std::filesystem::create_directory(temp.file("taken.bmp"));
    Block block = makeBlock(4, 4);
    EXPECT_FALSE(writeImageFile(temp.file("taken.bmp").c_str(), block.image, -1));
    EXPECT_EQ(folderEntries(temp.path()), std::vector<std::string>{"taken.bmp"});
}

// Saves a picture far over the file size limit onto an existing file.
VORLAN_TEST_CHILD(SaveOverSizeLimit) {
    signal(SIGXFSZ, SIG_IGN);  // the write then fails with EFBIG instead
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    Block block = makeBlock(300, 200);
    // Noise, so that even the compressed file is far over the limit.
    uint32_t state = 12345;
    for (uint8_t& byte : block.bytes) {
        state = state * 1103515245 + 12345;
        byte = static_cast<uint8_t>(state >> 24);
    }
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
