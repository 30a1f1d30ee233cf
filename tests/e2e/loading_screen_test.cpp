// The start-up screen of the real program, as the X server shows it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/program_window.h"
#include "gfx2d/builtin_font.h"
#include "gfx2d/test_images.h"
#include "support/run_process.h"

namespace vorlan::test {
namespace {

// The colour of cell `code` in the test font: unique and never black.
Colour cellColour(int code) {
    return {code, 255 - code, (code * 37) & 0xFF};
}

// A 256 x 128 24-bit BMP font: 16 x 8 cells of 16 x 16, one colour each.
std::string cellFontBmp() {
    BmpLayout layout = bmpLayout(256, 128, 24);
    for (int y = 127; y >= 0; --y) {  // bottom row first
        for (int x = 0; x < 256; ++x) {
            Colour c = cellColour(y / 16 * 16 + x / 16);
            layout.rows += {char(c.blue), char(c.green), char(c.red)};
        }
    }
    return bmpFile(layout);
}

// The program alone in a folder, with or without a font beside it, showing
// its start-up screen for a while.
WindowPicture startUpScreen(bool withFont) {
    TempFolder folder;
    if (withFont) writeWholeFile(folder.file("smalfont.bmp"), cellFontBmp());
    std::filesystem::copy_file(buildBin() / "probe_game", folder.file("probe_game"));
    ProgramRun run(folder.file("probe_game"), {"still"});
    if (!run.started() || !run.process().waitForLine("still", 20000)) return {};
    return run.capture();
}

const char kText[] = "Loading...";

TEST(LoadingScreen, CentredInTheFontBesideTheProgramOrTheBuiltinOne) {
    PixelBuffer builtin;
    ASSERT_TRUE(makeBuiltinFontPicture(builtin));
    // 8 x 8 cells: (320 - 80) / 2 = 120, (240 - 8) / 2 = 116.
    auto builtinText = [&](int x, int y) -> Colour {
        if (x < 120 || x >= 200 || y < 116 || y >= 124) return {};
        int code = kText[(x - 120) / 8];
        const uint8_t* p = builtin.row(code / 16 * 8 + y - 116) + (code % 16 * 8 + x % 8) * 4;
        return p[3] == 0 ? Colour{} : Colour{p[0], p[1], p[2]};
    };
    // 16 x 16 cells: (320 - 160) / 2 = 80, (240 - 16) / 2 = 112.
    auto fileText = [](int x, int y) -> Colour {
        if (x < 80 || x >= 240 || y < 112 || y >= 128) return {};
        return cellColour(kText[(x - 80) / 16]);
    };
    for (bool withFile : {false, true}) {
        SCOPED_TRACE(withFile ? "smalfont.bmp" : "built-in font");
        WindowPicture screen = startUpScreen(withFile);
        ASSERT_EQ(screen.width, 320);
        ASSERT_EQ(screen.height, 240);
        for (int i = 0; i < 320 * 240; ++i) {
            int x = i % 320, y = i / 320;
            ASSERT_EQ(screen.at(x, y), withFile ? fileText(x, y) : builtinText(x, y))
                << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace vorlan::test
