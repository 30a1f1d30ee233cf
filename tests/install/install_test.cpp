// The runtime installed into a fresh prefix, as a game author gets it: the
// headers alone, the package files, the pack tool, the example font sheet
// and no game; games built against the prefix with find_package and with
// pkg-config, started in the X server. Quillowen as one file: it installs
// apart with its desktop entry and icon, and alone in an empty folder shows
// what the build's program shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>

#include "e2e/program_window.h"
#include "support/run_process.h"

namespace vorlan::test {
namespace {

namespace fs = std::filesystem;

const fs::path kOneFileGame = fs::path(VORLAN_BUILD_DIR) / "dist/quillowen";

// runProcess takes no PATH search; the shell gives the author's view of it.
ProcessResult shell(const std::string& command, const fs::path& scratch) {
    return runProcess({"/bin/sh", "-c", command}, scratch);
}

// One install component into a fresh prefix.
ProcessResult installComponent(const char* component, const TempFolder& folder) {
    return runProcess({VORLAN_CMAKE_COMMAND, "--install", VORLAN_BUILD_DIR, "--component",
                       component, "--prefix", folder.file("prefix").string()},
                      folder.path());
}

// The runtime installed once into a fresh prefix, for all the tests here.
class InstalledRuntime : public testing::Test {
  protected:
    void SetUp() override {
        static TempFolder folder;
        static ProcessResult install = installComponent("runtime", folder);
        prefix_ = folder.file("prefix");
        ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    }
    const fs::path& prefix() const { return prefix_; }
    std::string include() const { return " -I " + (prefix_ / "include").string() + " "; }

    fs::path prefix_;
};

TEST_F(InstalledRuntime, EveryHeaderCompilesOnItsOwnAndTheReferenceNamesOnlyWhatTheyDeclare) {
    TempFolder scratch;
    size_t headers = 0;
    for (const auto& entry : fs::directory_iterator(prefix() / "include/vorlan")) {
        ++headers;
        // As a game includes it: first and alone in its source file.
        auto compile = [&](const char* standard) {
            return shell("echo '#include <vorlan/" + entry.path().filename().string() +
                             ">' | c++ -std=" + standard + " -fsyntax-only -Wall -Wextra -Werror" +
                             include() + "-x c++ -",
                         scratch.path());
        };
        ProcessResult result = compile("c++20");
        EXPECT_EQ(result.exitCode, 0) << entry.path() << "\n" << result.err;
        // An older standard stops at once on one readable line, not on
        // hundreds about concepts.
        ProcessResult older = compile("c++17");
        EXPECT_NE(older.err.find("Vorlan needs C++20"), std::string::npos) << older.err;
        EXPECT_EQ(older.err.find("concept"), std::string::npos) << older.err;
    }
    EXPECT_TRUE(fs::exists(prefix() / "include/vorlan/vorlan.h"));
    EXPECT_GT(headers, 1u);

    // Each name in the first column of docs/api.md as a using-declaration:
    // a name the reference made up fails.
    std::istringstream reference(readWholeFile(fs::path(VORLAN_SOURCE_TREE) / "docs/api.md"));
    std::string source = "#include <vorlan/vorlan.h>\n";
    size_t names = 0;
    for (std::string line; std::getline(reference, line);) {
        if (line.rfind("| `", 0) != 0) continue;
        source += "using vorlan::" + line.substr(3, line.find('`', 3) - 3) + ";\n";
        ++names;
    }
    writeWholeFile(scratch.file("names.cpp"), source);
    ProcessResult result =
        shell("c++ -std=c++20 -fsyntax-only" + include() + scratch.file("names.cpp").string(),
              scratch.path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_GT(names, 50u);
}

TEST_F(InstalledRuntime, PackageFilesPointIntoThePrefixOnlyAndThePackToolRuns) {
    std::string packageFiles;
    for (const char* folder : {"lib/cmake", "lib/pkgconfig"}) {
        for (const auto& entry : fs::recursive_directory_iterator(prefix() / folder)) {
            if (entry.is_regular_file()) packageFiles += readWholeFile(entry.path());
        }
    }
    for (const std::string tree : {VORLAN_BUILD_DIR, VORLAN_SOURCE_TREE}) {
        EXPECT_EQ(packageFiles.find(tree), std::string::npos) << tree << " named in\n"
                                                              << packageFiles;
    }
    TempFolder scratch;
    writeWholeFile(scratch.file("Bush.png"), "not really a picture");
    ProcessResult listed =
        shell("cd " + scratch.path().string() + " && " + (prefix() / "bin/vorlan-pack").string() +
                  " create media.viz Bush.png && " + (prefix() / "bin/vorlan-pack").string() +
                  " list media.viz",
              scratch.path());
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "Bush.png\n");

    // The runtime alone: no game, but a font sheet of 128 x 64 to look at.
    for (const char* game : {"bin/quillowen", "share/applications", "share/icons"}) {
        EXPECT_FALSE(fs::exists(prefix() / game)) << game;
    }
    std::string font = readWholeFile(prefix() / "share/vorlan/smalfont.bmp");
    ASSERT_GE(font.size(), 26u);
    EXPECT_EQ(font.substr(0, 2), "BM");
    EXPECT_EQ(font.substr(18, 8), std::string("\x80\0\0\0\x40\0\0\0", 8));
}

// The README's first C++ block: the example a game author starts from.
std::string readmeExample() {
    std::string readme = readWholeFile(fs::path(VORLAN_SOURCE_TREE) / "README.md");
    size_t start = readme.find("```cpp\n");
    if (start == std::string::npos) return {};
    start += 7;
    return readme.substr(start, readme.find("```", start) - start);
}

std::string withFindPackage(const fs::path& source, const fs::path& work) {
    writeWholeFile(work / "CMakeLists.txt",
                   "cmake_minimum_required(VERSION 3.25)\n"
                   "project(FirstFrame CXX)\n"
                   "find_package(Vorlan 0.1 REQUIRED)\n"
                   "add_executable(game " +
                       source.string() +
                       ")\n"
                       "target_link_libraries(game PRIVATE Vorlan::vorlan_main)\n");
    const std::string cmake = VORLAN_CMAKE_COMMAND, build = (work / "build").string();
    return cmake + " -S " + work.string() + " -B " + build + " -DCMAKE_BUILD_TYPE=Release && " +
           cmake + " --build " + build + " && cp " + build + "/game " + (work / "game").string();
}

std::string withPkgConfig(const fs::path& source, const fs::path& work) {
    return "c++ " + source.string() + " -o " + (work / "game").string() +
           " $(pkg-config --cflags --libs vorlan)";
}

// The colours and the box the README's game draws.
void expectTheReadmeFrame(ProgramRun& game) {
    EXPECT_EQ(runCommand("xdotool getwindowname " + game.window()), "First Frame");
    game.process().drain(500);
    WindowPicture picture = game.capture();
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 240);
    const Colour background{16, 48, 96}, box{240, 192, 16};
    const struct {
        int x, y;
        Colour colour;
    } points[] = {{5, 5, background}, {314, 234, background}, {99, 95, background},
                  {100, 80, box},     {139, 109, box},        {140, 95, background}};
    for (const auto& p : points) EXPECT_EQ(picture.at(p.x, p.y), p.colour) << p.x << "," << p.y;
}

// The leftmost column holding the example sprite's body colour; -1 for none.
int spriteLeftEdge(const WindowPicture& picture) {
    for (int x = 0; x < picture.width; ++x) {
        for (int y = 0; y < picture.height; ++y) {
            if (picture.at(x, y) == Colour{240, 192, 32}) return x;
        }
    }
    return -1;
}

// The sprite's left edge once it meets `done`, looking for up to 10 s (a
// sanitized game is slow to draw); the last edge seen otherwise.
int spriteEdgeWhen(ProgramRun& game, bool (*done)(int edge, int before), int before) {
    int edge = -1;
    for (int tries = 0; tries < 100; ++tries) {
        edge = spriteLeftEdge(game.capture());
        if (done(edge, before)) break;
        game.process().drain(100);
    }
    return edge;
}

void expectTheSpriteToMoveRight(ProgramRun& game) {
    int before = spriteEdgeWhen(
        game, [](int edge, int) { return edge >= 0; }, 0);
    ASSERT_GE(before, 0);
    holdKeys("Right", 400);
    EXPECT_GT(spriteEdgeWhen(
                  game, [](int edge, int first) { return edge > first; }, before),
              before);
}

TEST_F(InstalledRuntime, GamesBuiltBothWaysShowTheirFramesAndQuitOnEscape) {
    const struct {
        const char* what;
        std::string source;
        std::string (*build)(const fs::path& source, const fs::path& work);
        void (*expectFrames)(ProgramRun& game);
    } cases[] = {
        {"the README's game with find_package", readmeExample(), withFindPackage,
         expectTheReadmeFrame},
        {"the arrow keys example with pkg-config",
         readWholeFile(fs::path(VORLAN_SOURCE_TREE) / "examples/arrow_keys_sprite.cpp"),
         withPkgConfig, expectTheSpriteToMoveRight},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder work;
        fs::path source = work.file("mygame.cpp");
        writeWholeFile(source, c.source);
        std::string command = "export PKG_CONFIG_PATH=" + (prefix() / "lib/pkgconfig").string() +
                              " CMAKE_PREFIX_PATH=" + prefix().string() + "; " +
                              c.build(source, work.path());
        ProcessResult built = shell(command, work.path());
        ASSERT_EQ(built.exitCode, 0) << command << "\n" << built.out << built.err;

        ProgramRun game(work.file("game"));
        ASSERT_TRUE(game.started());
        game.focus();
        c.expectFrames(game);
        holdKeys("Escape");
        EXPECT_EQ(game.process().waitForExit(5000), 0);
    }
}

TEST(InstalledGame, QuillowenInstallsAsOneFileWithItsDesktopEntryAndIconWithoutTheRuntime) {
    TempFolder folder;
    ProcessResult install = installComponent("game", folder);
    ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
    const fs::path prefix = folder.file("prefix");
    EXPECT_FALSE(fs::exists(prefix / "include"));
    EXPECT_FALSE(fs::exists(prefix / "lib"));
    std::string entry = readWholeFile(prefix / "share/applications/quillowen.desktop");
    EXPECT_NE(entry.find("\nExec=quillowen\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nIcon=quillowen\n"), std::string::npos) << entry;
    EXPECT_EQ(readWholeFile(prefix / "bin/quillowen"), readWholeFile(kOneFileGame));
    EXPECT_TRUE((fs::status(prefix / "bin/quillowen").permissions() & fs::perms::owner_exec) !=
                fs::perms::none);
    // The icon is a 64 x 64 PNG: signature, then the IHDR chunk's size.
    std::string icon = readWholeFile(prefix / "share/icons/hicolor/64x64/apps/quillowen.png");
    ASSERT_GE(icon.size(), 24u);
    EXPECT_EQ(icon.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(icon.substr(16, 8), std::string("\0\0\0\x40\0\0\0\x40", 8));
}

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
    // The round's first frame (not the black start-up screen), well before
    // the snail's first step.
    WindowPicture shot;
    for (int tries = 0; tries < 10; ++tries) {
        shot = game.capture();
        if (size_t(std::count(shot.pixels.begin(), shot.pixels.end(), 0)) <
            shot.pixels.size() / 2) {
            break;
        }
        game.process().drain(50);
    }
    return shot;
}

TEST(OneFileGame, StartsFromAnEmptyFolderWithAllItsMedia) {
    WindowPicture built = firstRound(buildBin() / "quillowen", false);
    ASSERT_EQ(built.width, 320);
    EXPECT_LT(meanDifference(firstRound(kOneFileGame, true), built), 2.0);
    // The control: the build's program alone lacks its media, and the
    // comparison sees it.
    EXPECT_GT(meanDifference(firstRound(buildBin() / "quillowen", true), built), 10.0);
}

}  // namespace
}  // namespace vorlan::test
