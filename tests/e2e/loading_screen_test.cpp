// The start-up screen of the real program, captured from the X server.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "gfx2d/builtin_font.h"
#include "gfx2d/test_images.h"
#include "support/run_process.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan::test {
namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;

// The colour of cell `code` in the test font: unique and never black.
uint32_t cellColour(int32_t code) {
    return static_cast<uint32_t>(code) << 16 | static_cast<uint32_t>(255 - code) << 8 |
           static_cast<uint32_t>((code * 37) & 0xFF);
}

// A 256 x 128 24-bit BMP font: 16 x 8 cells of 16 x 16, one colour each.
std::string cellFontBmp() {
    BmpLayout layout = bmpLayout(256, 128, 24);
    for (int32_t y = 127; y >= 0; --y) {  // bottom row first
        for (int32_t x = 0; x < 256; ++x) {
            uint32_t c = cellColour(y / 16 * 16 + x / 16);
            layout.rows += static_cast<char>(c & 0xFF);
            layout.rows += static_cast<char>((c >> 8) & 0xFF);
            layout.rows += static_cast<char>(c >> 16);
        }
    }
    return bmpFile(layout);
}

// The program copied into its own folder (where it looks for its font),
// started with the start-up screen held, and that screen captured.
std::string startUpScreen(const TempFolder& folder) {
    std::filesystem::path program = folder.file("probe_game");
    std::filesystem::copy_file(buildBin() / "probe_game", program);
    Subprocess run({program.string(), "still"});
    if (!run.waitForLine("still", 20000)) return "";
    std::string window = runCommand("xdotool search --sync --onlyvisible --pid " +
                                    std::to_string(run.pid()) + " | head -1");
    std::istringstream place(runCommand(
        "xwininfo -id " + window +
        " | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}'"));
    int x = -1, y = -1;
    place >> x >> y;
    std::filesystem::path shot = folder.file("shot.rgb");
    runCommand("import -window root -crop " + std::to_string(kWidth) + "x" +
               std::to_string(kHeight) + "+" + std::to_string(x) + "+" + std::to_string(y) +
               " -depth 8 'rgb:" + shot.string() + "'");
    return readWholeFile(shot);
}

uint32_t rgbAt(const std::string& screen, int32_t x, int32_t y) {
    const auto* p = reinterpret_cast<const uint8_t*>(screen.data()) + (y * kWidth + x) * 3;
    return uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
}

const char kText[] = "Loading...";

TEST(LoadingScreen, CentredInTheFontBesideTheProgramOrTheBuiltinOne) {
    PixelBuffer builtin;
    ASSERT_TRUE(makeBuiltinFontPicture(builtin));
    // 8 x 8 cells: (320 - 80) / 2 = 120, (240 - 8) / 2 = 116.
    auto builtinText = [&](int32_t x, int32_t y) -> uint32_t {
        if (x < 120 || x >= 200 || y < 116 || y >= 124) return 0;
        int code = kText[(x - 120) / 8];
        const uint8_t* p = builtin.row(code / 16 * 8 + y - 116) + (code % 16 * 8 + x % 8) * 4;
        return p[3] == 0 ? 0 : uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    };
    // 16 x 16 cells: (320 - 160) / 2 = 80, (240 - 16) / 2 = 112.
    auto fileText = [](int32_t x, int32_t y) -> uint32_t {
        if (x < 80 || x >= 240 || y < 112 || y >= 128) return 0;
        return cellColour(kText[(x - 80) / 16]);
    };
    for (bool withFile : {false, true}) {
        SCOPED_TRACE(withFile ? "smalfont.bmp" : "built-in font");
        TempFolder folder;
        if (withFile) writeWholeFile(folder.file("smalfont.bmp"), cellFontBmp());
        std::string screen = startUpScreen(folder);
        ASSERT_EQ(screen.size(), static_cast<size_t>(kWidth) * kHeight * 3);
        for (int32_t i = 0; i < kWidth * kHeight; ++i) {
            int32_t x = i % kWidth, y = i / kWidth;
            ASSERT_EQ(rgbAt(screen, x, y), withFile ? fileText(x, y) : builtinText(x, y))
                << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace vorlan::test
