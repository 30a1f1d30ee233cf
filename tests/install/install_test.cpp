// The runtime installed into a fresh prefix, as a game author gets it: the
// headers alone, the package files, and the README's game built against the
// prefix with find_package and with pkg-config, started in the real X server.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"
#include "window_capture.h"

namespace vorlan::test {
namespace {

namespace fs = std::filesystem;

std::string everythingIn(const fs::path& folder) {
    std::string text;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) text += readWholeFile(entry.path());
    }
    return text;
}

// runProcess takes no PATH search; the shell gives the author's view of it.
ProcessResult shell(const std::string& command, const fs::path& scratch) {
    return runProcess({"/bin/sh", "-c", command}, scratch);
}

class InstalledRuntime : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefixFolder_ = new TempFolder;
        installResult_ = runProcess(
            {VORLAN_CMAKE_COMMAND, "--install", VORLAN_BUILD_DIR, "--prefix", prefix().string()},
            prefixFolder_->path());
    }
    static void TearDownTestSuite() {
        delete prefixFolder_;
        prefixFolder_ = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(installResult_.exitCode, 0) << installResult_.out << installResult_.err;
    }

    static fs::path prefix() { return prefixFolder_->file("prefix"); }
    static std::string pkgConfigPath() {
        return "PKG_CONFIG_PATH=" + (prefix() / "lib/pkgconfig").string();
    }

    static TempFolder* prefixFolder_;
    static ProcessResult installResult_;
};

TempFolder* InstalledRuntime::prefixFolder_ = nullptr;
ProcessResult InstalledRuntime::installResult_;

TEST_F(InstalledRuntime, EveryHeaderCompilesOnItsOwn) {
    TempFolder scratch;
    size_t headers = 0;
    for (const auto& entry : fs::directory_iterator(prefix() / "include/vorlan")) {
        ++headers;
        // As a game includes it: first and alone in its source file.
        std::string include = "#include <vorlan/" + entry.path().filename().string() + ">";
        ProcessResult result = shell(
            "echo '" + include + "' | c++ -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I " +
                (prefix() / "include").string() + " -x c++ -",
            scratch.path());
        EXPECT_EQ(result.exitCode, 0) << entry.path() << "\n" << result.err;
    }
    EXPECT_TRUE(fs::exists(prefix() / "include/vorlan/vorlan.h"));
    EXPECT_GT(headers, 1u);
}

TEST_F(InstalledRuntime, EveryOperationOfTheReferenceIsDeclared) {
    // Each name in the first column of docs/api.md, as a using-declaration
    // against the installed headers: a name the reference made up fails.
    std::istringstream reference(readWholeFile(fs::path(VORLAN_SOURCE_TREE) / "docs/api.md"));
    std::string source = "#include <vorlan/vorlan.h>\n", line;
    size_t names = 0;
    while (std::getline(reference, line)) {
        if (line.rfind("| `", 0) != 0) continue;
        source += "using vorlan::" + line.substr(3, line.find('`', 3) - 3) + ";\n";
        ++names;
    }
    TempFolder scratch;
    writeWholeFile(scratch.file("names.cpp"), source);
    ProcessResult result =
        shell("c++ -std=c++20 -fsyntax-only -I " + (prefix() / "include").string() + " " +
                  scratch.file("names.cpp").string(),
              scratch.path());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_GT(names, 50u);
}

TEST_F(InstalledRuntime, PackageFilesPointIntoThePrefixOnly) {
    std::string packageFiles =
        everythingIn(prefix() / "lib/cmake") + everythingIn(prefix() / "lib/pkgconfig");
    for (const std::string tree : {VORLAN_BUILD_DIR, VORLAN_SOURCE_TREE}) {
        EXPECT_EQ(packageFiles.find(tree), std::string::npos) << tree << " named in\n"
                                                              << packageFiles;
    }
}

TEST_F(InstalledRuntime, PackToolRoundTrips) {
    TempFolder scratch;
    writeWholeFile(scratch.file("Bush.png"), "not really a picture");
    std::string pack = (prefix() / "bin/vorlan-pack").string();
    std::string archive = scratch.file("media.viz").string();
    ASSERT_EQ(
        runProcess({pack, "create", archive, scratch.file("Bush.png").string()}, scratch.path())
            .exitCode,
        0);
    ProcessResult listing = runProcess({pack, "list", archive}, scratch.path());
    EXPECT_EQ(listing.exitCode, 0);
    EXPECT_EQ(listing.out, "Bush.png\n");
}

// The README's first C++ block: the example a game author starts from.
std::string readmeExample() {
    std::string readme = readWholeFile(fs::path(VORLAN_SOURCE_TREE) / "README.md");
    size_t start = readme.find("```cpp\n");
    if (start == std::string::npos) return {};
    start += 7;
    return readme.substr(start, readme.find("```", start) - start);
}

// How a game author builds against the prefix.
struct BuildWay {
    const char* name;
    std::vector<std::string> (*commands)(const fs::path& source, const fs::path& work);
};

void PrintTo(const BuildWay& way, std::ostream* out) {
    *out << way.name;
}

std::vector<std::string> withFindPackage(const fs::path& source, const fs::path& work) {
    writeWholeFile(work / "CMakeLists.txt",
                   "cmake_minimum_required(VERSION 3.25)\n"
                   "project(FirstFrame CXX)\n"
                   "find_package(Vorlan 0.1 REQUIRED)\n"
                   "add_executable(game " +
                       source.string() +
                       ")\n"
                       "target_link_libraries(game PRIVATE Vorlan::vorlan_main)\n");
    std::string cmake = VORLAN_CMAKE_COMMAND;
    return {cmake + " -S " + work.string() + " -B " + (work / "build").string() +
            " -DCMAKE_BUILD_TYPE=Release && " + cmake + " --build " + (work / "build").string() +
            " && cp " + (work / "build/game").string() + " " + (work / "game").string()};
}

std::vector<std::string> withPkgConfig(const fs::path& source, const fs::path& work) {
    return {"c++ " + source.string() + " -o " + (work / "game").string() +
            " $(pkg-config --cflags --libs vorlan)"};
}

class BuiltGame : public InstalledRuntime, public testing::WithParamInterface<BuildWay> {};

TEST_P(BuiltGame, ShowsItsFirstFrameAndQuitsOnEscape) {
    TempFolder work;
    std::string env =
        "export " + pkgConfigPath() + " CMAKE_PREFIX_PATH=" + prefix().string() + "; ";
    fs::path source = work.file("mygame.cpp");
    writeWholeFile(source, readmeExample());
    for (const std::string& command : GetParam().commands(source, work.path())) {
        ProcessResult built = shell(env + command, work.path());
        ASSERT_EQ(built.exitCode, 0) << command << "\n" << built.out << built.err;
    }

    Subprocess game({(work.path() / "game").string()});
    ASSERT_TRUE(game.waitForLine("Init OK", 20000));
    std::string window = runCommand("xdotool search --sync --onlyvisible --pid " +
                                    std::to_string(game.pid()) + " | head -1");
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(runCommand("xdotool getwindowname " + window), "First Frame");
    game.drain(500);
    WindowPicture picture = captureWindow(window, work.path());
    ASSERT_EQ(picture.width, 320);
    ASSERT_EQ(picture.height, 240);
    // The colours and the box the README's game draws.
    Rgb background{16, 48, 96}, box{240, 192, 16};
    EXPECT_EQ(picture.at(5, 5), background);
    EXPECT_EQ(picture.at(314, 234), background);
    EXPECT_EQ(picture.at(99, 95), background);
    EXPECT_EQ(picture.at(100, 80), box);
    EXPECT_EQ(picture.at(139, 109), box);
    EXPECT_EQ(picture.at(140, 95), background);

    // Held for several frames, so that a frame sees it.
    runCommand("xdotool windowfocus --sync " + window +
               "; sleep 0.2; xdotool keydown Escape; sleep 0.3; xdotool keyup Escape");
    EXPECT_EQ(game.waitForExit(5000), 0);
}

// The leftmost column holding the example sprite's body colour; -1 for none.
int spriteLeftEdge(const WindowPicture& picture) {
    const Rgb body{240, 192, 32};
    for (int x = 0; x < picture.width; ++x) {
        for (int y = 0; y < picture.height; ++y) {
            if (picture.at(x, y) == body) return x;
        }
    }
    return -1;
}

TEST_F(InstalledRuntime, ArrowKeysExampleMovesItsSpriteRight) {
    TempFolder work;
    std::string game = work.file("arrow_keys").string();
    ProcessResult built = shell("export " + pkgConfigPath() + "; c++ " + VORLAN_SOURCE_TREE +
                                    "/examples/arrow_keys_sprite.cpp -o " + game +
                                    " $(pkg-config --cflags --libs vorlan)",
                                work.path());
    ASSERT_EQ(built.exitCode, 0) << built.err;

    Subprocess process({game});
    ASSERT_TRUE(process.waitForLine("Init OK", 20000));
    std::string window = runCommand("xdotool search --sync --onlyvisible --pid " +
                                    std::to_string(process.pid()) + " | head -1");
    ASSERT_FALSE(window.empty());
    runCommand("xdotool windowfocus --sync " + window);
    process.drain(300);
    int before = spriteLeftEdge(captureWindow(window, work.path()));
    runCommand("xdotool keydown Right; sleep 0.4; xdotool keyup Right");
    process.drain(200);
    int after = spriteLeftEdge(captureWindow(window, work.path()));
    EXPECT_GE(before, 0);
    EXPECT_GT(after, before);

    runCommand("xdotool keydown Escape; sleep 0.3; xdotool keyup Escape");
    EXPECT_EQ(process.waitForExit(5000), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, BuiltGame,
                         testing::Values(BuildWay{"FindPackage", withFindPackage},
                                         BuildWay{"PkgConfig", withPkgConfig}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorlan::test
