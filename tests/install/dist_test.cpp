// Quillowen as one file: the packed program, alone in an empty folder and
// started from another one, shows what the build's program shows with its
// media beside it. It installs with its desktop entry and icon.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/program_window.h"
#include "support/run_process.h"

namespace vorlan::test {
namespace {

namespace fs = std::filesystem;

const fs::path kOneFileGame = fs::path(VORLAN_BUILD_DIR) / "dist/quillowen";

// The first round's picture on a fixed seed, the program alone in a folder
// (unless it is the build's own) and started from an empty one; empty when
// it shows no round.
WindowPicture firstRound(const fs::path& program, bool alone) {
    TempFolder folder, workingFolder;
    fs::path copy = folder.file("quillowen");
    if (alone) fs::copy_file(program, copy);
    ProgramRun game(alone ? copy : program, {},
                    {"-C", workingFolder.path().string(), "VORLAN_SEED=11", "QUILLOWEN_TRACE=1"});
    if (!game.started() || !game.process().waitForLine("round 1", 5000)) return {};
    // Long enough for the round's first frame, well before the snail's first step.
    game.process().drain(300);
    return game.capture();
}

TEST(OneFileGame, StartsFromAnEmptyFolderWithAllItsMedia) {
    WindowPicture built = firstRound(buildBin() / "quillowen", false);
    ASSERT_EQ(built.width, 320);
    EXPECT_LT(meanDifference(firstRound(kOneFileGame, true), built), 2.0);
    // The control: the build's program alone lacks its media, and the
    // comparison sees it.
    EXPECT_GT(meanDifference(firstRound(buildBin() / "quillowen", true), built), 10.0);
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
