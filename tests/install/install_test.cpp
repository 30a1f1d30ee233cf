// The runtime installed into a fresh prefix, as a game author gets it, and
// games built against it both ways; Quillowen installed apart as one file
// that shows, alone in an empty folder, what the build's program shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <sstream>

#include "e2e/program_window.h"

namespace vorlan::test {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = VORLAN_SOURCE_TREE;

ProcessResult shell(const std::string& command) {
    return runToEnd({"/bin/sh", "-c", command});
}

// One install component into a fresh prefix.
fs::path install(const char* component, const TempFolder& folder) {
    ProcessResult r = runToEnd({VORLAN_CMAKE_COMMAND, "--install", VORLAN_BUILD_DIR, "--component",
                                component, "--prefix", folder.file("prefix").string()});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    return folder.file("prefix");
}

// The runtime installed once into a fresh prefix, for all the tests here.
class InstalledRuntime : public testing::Test {
  protected:
    static fs::path prefix() {
        static TempFolder folder;
        static fs::path prefix = install("runtime", folder);
        return prefix;
    }
    static std::string include() { return " -I " + (prefix() / "include").string() + " "; }
};

TEST_F(InstalledRuntime, HeadersCompileAloneTheReferenceIsDeclaredAndPackageFilesStayInThePrefix) {
    TempFolder scratch;
    for (const auto& entry : fs::directory_iterator(prefix() / "include/vorlan")) {
        // As a game includes it: first and alone in its source file.
        auto compile = [&](const char* standard) {
            return shell("echo '#include <vorlan/" + entry.path().filename().string() +
                         ">' | c++ -std=" + standard + " -fsyntax-only -Wall -Wextra -Werror" +
                         include() + "-x c++ -");
        };
        ProcessResult result = compile("c++20");
        EXPECT_EQ(result.exitCode, 0) << entry.path() << "\n" << result.err;
        // An older standard stops at once on one readable line, not on
        // hundreds about concepts.
        ProcessResult older = compile("c++17");
        EXPECT_NE(older.err.find("Vorlan needs C++20"), std::string::npos) << older.err;
        EXPECT_EQ(older.err.find("concept"), std::string::npos) << older.err;
    }

    // Each name in the first column of docs/api.md as a using-declaration:
    // a name the reference made up fails.
    std::istringstream reference(readWholeFile(kSource / "docs/api.md"));
    std::string source = "#include <vorlan/vorlan.h>\n";
    size_t names = 0;
    for (std::string line; std::getline(reference, line);) {
        if (!line.starts_with("| `")) continue;
        source += "using vorlan::" + line.substr(3, line.find('`', 3) - 3) + ";\n";
        ++names;
    }
    writeWholeFile(scratch.file("names.cpp"), source);
    ProcessResult result =
        shell("c++ -std=c++20 -fsyntax-only" + include() + scratch.file("names.cpp").string());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_GT(names, 50u);

    // The package files point into the prefix only, and the pack tool runs.
    std::string packageFiles;
    for (const char* folder : {"lib/cmake", "lib/pkgconfig"}) {
        for (const auto& entry : fs::recursive_directory_iterator(prefix() / folder)) {
            if (entry.is_regular_file()) packageFiles += readWholeFile(entry.path());
        }
    }
    for (const std::string tree : {VORLAN_BUILD_DIR, VORLAN_SOURCE_TREE}) {
        EXPECT_EQ(packageFiles.find(tree), std::string::npos) << tree << " in\n" << packageFiles;
    }
    writeWholeFile(scratch.file("Bush.png"), "not really a picture");
    const std::string pack = (prefix() / "bin/vorlan-pack").string();
    ProcessResult listed = shell("cd " + scratch.path().string() + " && " + pack +
                                 " create media.viz Bush.png && " + pack + " list media.viz");
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "Bush.png\n");

    // The runtime alone: no game, but a font sheet of 128 x 64 to look at.
    for (const char* game : {"bin/quillowen", "share/applications", "share/icons"}) {
        EXPECT_FALSE(fs::exists(prefix() / game)) << game;
    }
    Picture font = loadPicture(prefix() / "share/vorlan/smalfont.bmp");
    EXPECT_EQ(std::pair(font.width, font.height), std::pair(128, 64));
}

// The colours and the box the README's game draws, once it draws them.
void expectTheReadmeFrame(ProgramRun& game) {
    EXPECT_EQ(runCommand("xdotool getwindowname " + game.window()), "First Frame");
    const std::array<uint32_t, 3> points[] = {{5, 5, 0x103060},     {314, 234, 0x103060},
                                              {99, 95, 0x103060},   {100, 80, 0xF0C010},
                                              {139, 109, 0xF0C010}, {140, 95, 0x103060}};
    EXPECT_TRUE(eventually([&] {
        Picture frame = game.capture();
        return frame.width == 320 && frame.height == 240 &&
               std::ranges::all_of(points, [&](auto p) { return frame.rgbAt(p[0], p[1]) == p[2]; });
    })) << "not the README's frame";
}

// Right held until the sprite (its body colour's leftmost column) has moved
// right: a slow game sees it too.
void expectTheSpriteToMoveRight(ProgramRun& game) {
    auto leftEdge = [&] {
        Picture shot = game.capture();
        for (int i = 0; i < shot.width * shot.height; ++i) {
            if (shot.rgbAt(i / shot.height, i % shot.height) == 0xF0C020) return i / shot.height;
        }
        return -1;
    };
    int before = -1;
    ASSERT_TRUE(eventually([&] { return (before = leftEdge()) >= 0; }));
    runCommand("xdotool keydown Right");
    EXPECT_TRUE(eventually([&] { return leftEdge() > before; }));
    runCommand("xdotool keyup Right");
}

TEST_F(InstalledRuntime, GamesBuiltBothWaysShowTheirFramesAndQuitOnEscape) {
    // The README's first C++ block: the example a game author starts from.
    std::string readme = readWholeFile(kSource / "README.md");
    size_t start = readme.find("```cpp\n") + 7;
    const std::string cmake = VORLAN_CMAKE_COMMAND;
    const struct {
        const char* what;
        std::string source, build;  // the build runs in the game's folder, making ./game
        void (*expectFrames)(ProgramRun& game);
    } cases[] = {
        {"the README's game with find_package",
         readme.substr(start, readme.find("```", start) - start),
         cmake + " -S . -B build -DCMAKE_BUILD_TYPE=Release && " + cmake +
             " --build build && cp build/game game",
         expectTheReadmeFrame},
        {"the arrow keys example with pkg-config",
         readWholeFile(kSource / "examples/arrow_keys_sprite.cpp"),
         "c++ mygame.cpp -o game $(pkg-config --cflags --libs vorlan)", expectTheSpriteToMoveRight},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder work;
        writeWholeFile(work.file("mygame.cpp"), c.source);
        writeWholeFile(work.file("CMakeLists.txt"),
                       "cmake_minimum_required(VERSION 3.25)\nproject(FirstFrame CXX)\n"
                       "find_package(Vorlan 0.1 REQUIRED)\nadd_executable(game mygame.cpp)\n"
                       "target_link_libraries(game Vorlan::vorlan_main)\n");
        std::string command = "cd " + work.path().string() + " && export PKG_CONFIG_PATH=" +
                              (prefix() / "lib/pkgconfig").string() +
                              " CMAKE_PREFIX_PATH=" + prefix().string() + " && " + c.build;
        ProcessResult built = shell(command);
        ASSERT_EQ(built.exitCode, 0) << command << "\n" << built.out << built.err;

        ProgramRun game(work.file("game"));
        ASSERT_TRUE(game.started());
        game.focus();
        c.expectFrames(game);
        EXPECT_EQ(game.quitWithEscape(), 0);
    }
}

// The first round's picture on a fixed seed, the program alone in a folder
// (unless it is the build's own) and started from an empty one.
Picture firstRound(const fs::path& program, bool alone) {
    TempFolder empty;
    ProgramRun game(program, {},
                    {"-C", empty.path().string(), "VORLAN_SEED=11", "QUILLOWEN_TRACE=1"}, alone);
    Picture shot;
    // The round's first frame, not the black start-up screen, well before
    // the snail's first step.
    if (game.started() && game.process().waitForLine("round 1", 60000)) {
        eventually([&] {
            shot = game.capture();
            return std::ranges::count(shot.pixels, 0) < long(shot.pixels.size()) / 4;
        });
    }
    return shot;
}

TEST(InstalledGame, QuillowenIsOneFileWithAllItsMediaADesktopEntryAndAnIconWithoutTheRuntime) {
    TempFolder folder;
    const fs::path prefix = install("game", folder), game = prefix / "bin/quillowen";
    for (const char* runtime : {"include", "lib"}) EXPECT_FALSE(fs::exists(prefix / runtime));
    std::string entry = readWholeFile(prefix / "share/applications/quillowen.desktop");
    EXPECT_NE(entry.find("\nExec=quillowen\nIcon=quillowen\n"), std::string::npos) << entry;
    EXPECT_EQ(readWholeFile(game), readWholeFile(fs::path(VORLAN_BUILD_DIR) / "dist/quillowen"));
    Picture icon =
        loadPicture("png:" + (prefix / "share/icons/hicolor/64x64/apps/quillowen.png").string());
    EXPECT_EQ(std::pair(icon.width, icon.height), std::pair(64, 64));

    Picture built = firstRound(buildBin() / "quillowen", false);
    ASSERT_EQ(built.width, 320);
    EXPECT_LT(meanDifference(firstRound(game, true), built), 2.0);
    // The control: the build's program alone lacks its media, and the
    // comparison sees it.
    EXPECT_GT(meanDifference(firstRound(buildBin() / "quillowen", true), built), 10.0);
}

}  // namespace
}  // namespace vorlan::test
