// Loading the game's pictures from a folder where some are missing: each
// missing one is named in the log, the others load.
#include <gtest/gtest.h>

#include <vorlan/sprites.h>

#include <filesystem>
#include <set>
#include <string>

#include "app/renderer.h"
#include "game/media.h"
#include "support/run_process.h"
#include "support/temp_folder.h"

namespace quillowen {
namespace {

namespace fs = std::filesystem;

TEST(MediaLoading, EveryMissingPictureIsNamedInTheLog) {
    vorlan::test::TempFolder folder;
    const std::set<std::string> missing = {"find0.png", "pixel.png"};
    for (const char* name : {"bush.png", "snail.png", "find0.png", "find1.png", "find2.png",
                             "find3.png", "find4.png", "find5.png", "find6.png", "finder.png",
                             "pixel.png", "snail-mini.png", "brinna-mini.png"}) {
        if (!missing.count(name)) fs::copy_file(vorlan::test::buildBin() / name, folder.file(name));
    }
    vorlan::renderer = new vorlan::OpenGLZererazo();
    ASSERT_TRUE(vorlan::renderer->createSurface(320, 240, 0, 60, 0));
    fs::path before = fs::current_path();
    fs::current_path(folder.path());
    loadPictures();
    fs::current_path(before);

    double width = 0, height = 0;
    vorlan::getSpriteSize(10, width, height);
    EXPECT_EQ(width, 0);
    vorlan::getSpriteSize(1, width, height);
    EXPECT_EQ(width, 64);
    delete vorlan::renderer;
    vorlan::renderer = nullptr;

    std::string log = vorlan::test::readWholeFile(folder.file("ErrorLog.txt"));
    for (const std::string& name : missing) {
        EXPECT_NE(log.find("cannot load " + name), std::string::npos) << log;
    }
    size_t lines = 0;
    for (size_t at = log.find("cannot load"); at != std::string::npos;
         at = log.find("cannot load", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, missing.size()) << log;
}

}  // namespace
}  // namespace quillowen
