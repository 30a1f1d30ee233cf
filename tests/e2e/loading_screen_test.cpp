// The start-up screen of the real program, as the X server shows it.
#include <gtest/gtest.h>

#include "e2e/program_window.h"
#include "gfx2d/builtin_font.h"
#include "gfx2d/test_images.h"

namespace vorlan::test {
namespace {

// The colour of cell `code` in the test font: unique and never black.
uint32_t cellColour(int code) {
    return uint32_t(code) << 16 | uint32_t(255 - code) << 8 | ((code * 37) & 0xFF);
}

// A 256 x 128 24-bit BMP font: 16 x 8 cells of 16 x 16, one colour each.
std::string cellFontBmp() {
    BmpLayout layout = bmpLayout(256, 128, 24);
    for (int i = 256 * 128 - 1; i >= 0; --i) {  // bottom row first
        uint32_t c = cellColour(i / 256 / 16 * 16 + (255 - i % 256) / 16);
        layout.rows += {char(c), char(c >> 8), char(c >> 16)};
    }
    return bmpFile(layout);
}

TEST(LoadingScreen, CentredInTheFontBesideTheProgramOrTheBuiltinOne) {
    const char kText[] = "Loading...";
    PixelBuffer builtin;
    ASSERT_TRUE(makeBuiltinFontPicture(builtin));
    // 8 x 8 cells at ((320 - 80) / 2, (240 - 8) / 2), 16 x 16 at ((320 - 160) / 2, (240 - 16) / 2).
    auto builtinText = [&](int x, int y) -> uint32_t {
        if (x < 120 || x >= 200 || y < 116 || y >= 124) return 0;
        int code = kText[(x - 120) / 8];
        const uint8_t* p = builtin.row(code / 16 * 8 + y - 116) + (code % 16 * 8 + x % 8) * 4;
        return p[3] == 0 ? 0 : uint32_t(p[0]) << 16 | p[1] << 8 | p[2];
    };
    auto fileText = [&](int x, int y) -> uint32_t {
        if (x < 80 || x >= 240 || y < 112 || y >= 128) return 0;
        return cellColour(kText[(x - 80) / 16]);
    };
    for (bool withFile : {false, true}) {
        SCOPED_TRACE(withFile ? "smalfont.bmp" : "built-in font");
        ProgramRun run(buildBin() / "probe_game", {"still"}, {}, true);
        if (withFile) writeWholeFile(run.temp().file("smalfont.bmp"), cellFontBmp());
        ASSERT_TRUE(run.started() && run.process().waitForLine("still", 60000));
        Picture screen = run.capture();
        ASSERT_EQ(screen.width * screen.height, 320 * 240);
        for (int i = 0; i < 320 * 240; ++i) {
            int x = i % 320, y = i / 320;
            ASSERT_EQ(screen.rgbAt(x, y), withFile ? fileText(x, y) : builtinText(x, y))
                << x << "," << y;
        }
    }
}

}  // namespace
}  // namespace vorlan::test
