// Loading the game's pictures from a folder where some are missing: each
// missing one is named in the log, the others load.
#include <gtest/gtest.h>

#include <vorlan/sprites.h>

#include <filesystem>
#include <set>
#include <string>

#include "game/media.h"
#include "gfx2d/gl_surface.h"
#include "support/run_process.h"

namespace quillowen {
namespace {

namespace fs = std::filesystem;
using MediaLoading = vorlan::test::GLSurface;

TEST_F(MediaLoading, EveryMissingPictureIsNamedInTheLog) {
    const std::multiset<std::string> missing = {"find0.png", "pixel.png"};
    for (const char* name : {"bush.png", "snail.png", "find0.png", "find1.png", "find2.png",
                             "find3.png", "find4.png", "find5.png", "find6.png", "finder.png",
                             "pixel.png", "snail-mini.png", "brinna-mini.png"}) {
        if (!missing.count(name)) fs::copy_file(vorlan::test::buildBin() / name, temp_.file(name));
    }
    fs::path before = fs::current_path();
    fs::current_path(temp_.path());
    loadPictures();
    fs::current_path(before);
    EXPECT_EQ(vorlan::test::spriteSize(10), vorlan::test::kNoSize);
    EXPECT_EQ(vorlan::test::spriteSize(1).first, 64);

    std::string log = vorlan::test::readWholeFile(temp_.file("ErrorLog.txt"));
    std::multiset<std::string> named;
    for (size_t at = log.find("cannot load "); at != std::string::npos;
         at = log.find("cannot load ", at + 1)) {
        named.insert(log.substr(at + 12, log.find('\r', at) - at - 12));
    }
    EXPECT_EQ(named, missing) << log;
}

}  // namespace
}  // namespace quillowen
