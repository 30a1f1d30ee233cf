// Quillowen as one file: the packed program, alone in an empty folder and
// started from another one, shows what the build's program shows with its
// media beside it. It installs with its desktop entry and icon.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/run_process.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"
#include "window_capture.h"

namespace vorlan::test {
namespace {

namespace fs = std::filesystem;

const fs::path kOneFileGame = fs::path(VORLAN_BUILD_DIR) / "dist/quillowen";

// The first round's picture of a program, on a fixed seed, started from an
// empty working folder; empty when the program shows no round.
WindowPicture firstRound(const fs::path& program) {
    TempFolder temp, workingFolder;
    Subprocess game({"/bin/sh", "-c",
                     "cd " + workingFolder.path().string() +
                         " && SDL_DISKAUDIOFILE=" + temp.file("audio.raw").string() +
                         " VORLAN_SEED=11 QUILLOWEN_TRACE=1 exec " + program.string()});
    if (!game.waitForLine("Init OK", 20000) || !game.waitForLine("round 1", 5000)) return {};
    std::string window = runCommand("xdotool search --sync --onlyvisible --pid " +
                                    std::to_string(game.pid()) + " | head -1");
    // Long enough for the round's first frame, well before the snail's first step.
    game.drain(300);
    return window.empty() ? WindowPicture{} : captureWindow(window, temp.path());
}

// The program copied alone into an empty folder.
fs::path aloneInAFolder(const fs::path& program, const TempFolder& folder) {
    fs::path copy = folder.file("quillowen");
    fs::copy_file(program, copy);
    return copy;
}

TEST(OneFileGame, StartsFromAnEmptyFolderWithAllItsMedia) {
    WindowPicture built = firstRound(buildBin() / "quillowen");
    ASSERT_EQ(built.width, 320);

    TempFolder folder;
    WindowPicture packed = firstRound(aloneInAFolder(kOneFileGame, folder));
    EXPECT_LT(meanDifference(packed, built), 2.0);
}

TEST(OneFileGame, WithoutItsArchiveTheProgramAloneLacksItsMedia) {
    // The control for the case above: that comparison sees missing media.
    WindowPicture built = firstRound(buildBin() / "quillowen");
    TempFolder folder;
    WindowPicture bare = firstRound(aloneInAFolder(buildBin() / "quillowen", folder));
    EXPECT_GT(meanDifference(bare, built), 10.0);
}

TEST(OneFileGame, InstallsWithItsDesktopEntryAndIcon) {
    TempFolder prefix;
    ProcessResult install = runProcess(
        {VORLAN_CMAKE_COMMAND, "--install", VORLAN_BUILD_DIR, "--prefix", prefix.path().string()},
        prefix.path());
    ASSERT_EQ(install.exitCode, 0) << install.err;

    std::string entry = readWholeFile(prefix.file("share/applications/quillowen.desktop"));
    EXPECT_NE(entry.find("\nExec=quillowen\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=quillowen\n"), std::string::npos) << entry;
    EXPECT_EQ(readWholeFile(prefix.file("bin/quillowen")), readWholeFile(kOneFileGame));
    EXPECT_TRUE((fs::status(prefix.file("bin/quillowen")).permissions() & fs::perms::owner_exec) !=
                fs::perms::none);

    // The icon is a 64 x 64 PNG: signature, then the IHDR chunk's size.
    std::string icon = readWholeFile(prefix.file("share/icons/hicolor/64x64/apps/quillowen.png"));
    ASSERT_GE(icon.size(), 24u);
    EXPECT_EQ(icon.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(icon.substr(16, 8), std::string("\0\0\0\x40\0\0\0\x40", 8));
}

}  // namespace
}  // namespace vorlan::test
