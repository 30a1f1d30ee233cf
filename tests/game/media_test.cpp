// The game's generated pictures and sounds, read back through the runtime's
// own decoders: sizes, hard edges and the layout the field relies on; and
// what loading says when some are missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "audio/wave_reader.h"
#include "game/media.h"
#include "game/round.h"
#include "gfx2d/gl_surface.h"
#include "gfx2d/image_file.h"
#include "support/run_process.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

constexpr int32_t kSpriteKey = 0x8000FF;

struct Picture {
    const char* name;
    int width, height;
    // Drawn on the field: even width, at most 64, alpha only 0 or 255.
    bool onField;
    // Stands on the field: its lowest pixel at least this far above the
    // picture's bottom edge.
    int footRoom;
};

const Picture kPictures[] = {
    {"bush.png", 64, 88, true, 0},         {"snail.png", 40, 58, true, 36},
    {"find0.png", 32, 88, true, 36},       {"find1.png", 32, 88, true, 36},
    {"find2.png", 32, 88, true, 36},       {"find3.png", 32, 88, true, 36},
    {"find4.png", 32, 88, true, 36},       {"find5.png", 32, 88, true, 36},
    {"find6.png", 32, 88, true, 36},       {"finder.png", 64, 32, false, 0},
    {"pixel.png", 1, 1, false, 0},         {"snail-mini.png", 32, 14, false, 0},
    {"brinna-mini.png", 56, 56, false, 0}, {"win.png", 320, 240, false, 0},
    {"failed.png", 320, 240, false, 0},
};

std::string media(const char* name) {
    return (test::buildBin() / name).string();
}

TEST(Media, EveryPictureDecodesWithItsSizeAndHardEdges) {
    for (const Picture& p : kPictures) {
        SCOPED_TRACE(p.name);
        PixelBuffer image;
        ASSERT_TRUE(decodeImageFile(image, media(p.name).c_str(), kSpriteKey));
        EXPECT_EQ(image.width(), p.width);
        EXPECT_EQ(image.height(), p.height);
        int lowestRow = -1, opaque = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                uint8_t alpha = image.row(y)[x * 4 + 3];
                if (p.onField) {
                    ASSERT_TRUE(alpha == 0 || alpha == 255) << x << "," << y;
                }
                if (alpha) lowestRow = y, ++opaque;
            }
        }
        EXPECT_GT(opaque, 0);
        EXPECT_GE(p.height - lowestRow, p.footRoom);
    }
}

// Opaque pixels of a picture standing on a cell, in screen coordinates.
std::vector<std::pair<int, int>> opaquePixels(const char* name, int cellX, int cellY) {
    PixelBuffer image;
    EXPECT_TRUE(decodeImageFile(image, media(name).c_str(), kSpriteKey)) << name;
    const int left = static_cast<int>(quillowen::cellLeft(cellX, cellY, image.width(), 0));
    const int top = static_cast<int>(quillowen::cellTop(cellX, cellY, image.height(), 0));
    std::vector<std::pair<int, int>> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.row(y)[x * 4 + 3]) pixels.emplace_back(left + x, top + y);
        }
    }
    return pixels;
}

TEST(Media, NothingDrawnAfterTheFigureCoversHer) {
    auto her = opaquePixels("find0.png", 25, 25);
    std::set<std::pair<int, int>> body(her.begin(), her.end());
    for (const char* name : {"bush.png", "snail.png", "find0.png", "find3.png", "find5.png"}) {
        // The cells drawn after hers: later rows, and lower x in her row.
        for (int y = 25; y <= 28; ++y) {
            for (int x = 22; x <= 28; ++x) {
                if (y == 25 && x >= 25) continue;
                for (auto pixel : opaquePixels(name, x, y)) {
                    ASSERT_EQ(body.count(pixel), 0u) << name << " on " << x << "," << y;
                }
            }
        }
    }
}

TEST(Media, TheFontIsSixteenByEightCellsWithBlackKeyedOut) {
    PixelBuffer font;
    ASSERT_TRUE(decodeImageFile(font, media("smalfont.bmp").c_str(), 0));
    ASSERT_EQ(font.width(), 128);
    ASSERT_EQ(font.height(), 64);
    // A blank cell (the space) is all transparent; a letter's is not.
    for (char c : std::string(" AVOL:0123456789!")) {
        int opaque = 0;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x)
                opaque += font.row(c / 16 * 8 + y)[(c % 16 * 8 + x) * 4 + 3] != 0;
        }
        if (c == ' ') {
            EXPECT_EQ(opaque, 0);
        } else {
            EXPECT_GT(opaque, 6) << c;
        }
    }
}

// The whole-game runs load them into their slots and hear them.
TEST(Media, SoundsAreShortSixteenBitPcm) {
    for (const char* name : {"fail.wav", "win.wav", "wenvoke.wav"}) {
        SCOPED_TRACE(name);
        std::string bytes = test::readWholeFile(media(name));
        WaveData wave;
        ASSERT_TRUE(parseWave(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), wave));
        EXPECT_EQ(wave.format.bitsPerSample, 16);
        // The format chunk holds 16 bytes and the samples follow it at once.
        EXPECT_EQ(wave.samples, reinterpret_cast<const uint8_t*>(bytes.data()) + 44);
        // A slot of one copy must be free again for the next round.
        double seconds = double(wave.byteCount) / wave.format.blockSize / wave.format.sampleRate;
        EXPECT_GT(seconds, 0.3);
        EXPECT_LE(seconds, 1.4);
    }
}

TEST(Media, TheGeneratorWritesTheSameBytesEveryRun) {
    test::TempFolder out;
    test::ProcessResult run =
        test::runProcess({media("quillowen-media"), out.path().string()}, out.path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* name : {"bush.png", "find3.png", "win.png", "smalfont.bmp", "win.wav"}) {
        EXPECT_EQ(test::readWholeFile(out.file(name)), test::readWholeFile(media(name))) << name;
    }
}

using MediaLoading = test::GLSurface;

TEST_F(MediaLoading, EveryMissingPictureIsNamedInTheLog) {
    const std::multiset<std::string> missing = {"find0.png", "pixel.png"};
    for (const Picture& p : kPictures) {
        if (!missing.count(p.name)) std::filesystem::copy_file(media(p.name), temp_.file(p.name));
    }
    std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(temp_.path());
    quillowen::loadPictures();
    std::filesystem::current_path(before);
    EXPECT_EQ(test::spriteSize(10), test::kNoSize);
    EXPECT_EQ(test::spriteSize(1).first, 64);

    std::string log = test::readWholeFile(temp_.file("ErrorLog.txt"));
    std::multiset<std::string> named;
    // The game's own lines; the runtime's start with the program's name.
    for (size_t at = log.find("\ncannot load "); at != std::string::npos;
         at = log.find("\ncannot load ", at + 1)) {
        named.insert(log.substr(at + 13, log.find('\r', at) - at - 13));
    }
    EXPECT_EQ(named, missing) << log;
}

}  // namespace
}  // namespace vorlan
