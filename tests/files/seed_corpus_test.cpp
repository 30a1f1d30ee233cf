// The fuzz targets' seed inputs in fuzz/corpus/<target>/ are made here, not
// by hand. To write them afresh:
//   VORLAN_WRITE_SEEDS=1 build/bin/files_tests --gtest_filter='SeedCorpus.*'
// Without that variable the test checks that the committed seeds are exactly
// the ones this generator makes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "audio/test_waves.h"
#include "files/test_archives.h"
#include "gfx2d/test_images.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

namespace fs = std::filesystem;
using Seeds = std::map<std::string, std::string>;  // file name -> bytes

Seeds bmpSeeds() {
    Seeds seeds;
    test::BmpLayout rgb = test::bmpLayout(3, 2, 24);
    rgb.rows = test::bmpRow({1, 2, 3, 4, 5, 6, 0xFF, 0x00, 0x80}, 3) +
               test::bmpRow({7, 8, 9, 10, 11, 12, 13, 14, 15}, 3);
    seeds["rgb24-padded.bmp"] = test::bmpFile(rgb);
    rgb.height = -2;
    seeds["rgb24-top-down.bmp"] = test::bmpFile(rgb);

    test::BmpLayout rgba = test::bmpLayout(5, 1, 32);
    for (int i = 0; i < 20; ++i) rgba.rows += static_cast<char>(i * 13);
    seeds["rgb32.bmp"] = test::bmpFile(rgba);

    test::BmpLayout palette = test::bmpLayout(2, 2, 8);
    palette.headerRest = test::bmpPaletteEntry(255, 0, 128) + test::bmpPaletteEntry(0, 0, 0) +
                         test::bmpPaletteEntry(9, 99, 199);
    palette.rows = test::bmpRow({0, 2}, 2) + test::bmpRow({1, 7}, 2);
    seeds["palette8.bmp"] = test::bmpFile(palette);

    test::BmpLayout extended = test::bmpLayout(1, 1, 24);
    extended.infoHeaderSize = 124;
    extended.headerRest = std::string(84, '\0');
    extended.rows = test::bmpRow({1, 2, 3}, 1);
    seeds["large-header.bmp"] = test::bmpFile(extended);
    return seeds;
}

Seeds pngSeeds() {
    Seeds seeds;
    test::PngLayout palette;
    palette.width = 4;
    palette.height = 2;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    palette.rows = {{0, 1, 2, 1}, {2, 2, 0, 0}};
    seeds["palette.png"] = test::pngFile(palette);
    palette.paletteAlpha = {255, 128, 0};
    seeds["palette-trns.png"] = test::pngFile(palette);

    test::PngLayout grey;
    grey.width = 5;
    grey.height = 1;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    grey.bitDepth = 2;
    grey.rows = {{0b00011011, 0b11000000}};
    seeds["grey2.png"] = test::pngFile(grey);

    test::PngLayout deep;
    deep.width = 2;
    deep.height = 1;
    deep.bitDepth = 16;
    deep.rows = {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
    seeds["rgb16.png"] = test::pngFile(deep);

    std::vector<uint8_t> pixels(8 * 8 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 5);
    seeds["rgba.png"] = test::rgbaPng(8, 8, pixels);

    test::PngLayout interlaced;
    interlaced.width = 9;
    interlaced.height = 9;
    interlaced.interlaced = true;
    for (uint32_t y = 0; y < 9; ++y) {
        std::vector<uint8_t> row;
        for (uint32_t x = 0; x < 27; ++x) row.push_back(static_cast<uint8_t>(x * y));
        interlaced.rows.push_back(row);
    }
    seeds["rgb-interlaced.png"] = test::pngFile(interlaced);
    return seeds;
}

Seeds archiveSeeds() {
    Seeds seeds;
    test::ArchiveBytes plain;
    plain.addEntry("bush.png", "leaves and twigs, leaves and twigs");
    plain.addEntry("Empty.dat", "");
    plain.addEntry("zeros.bin", std::string(2000, '\0'));
    seeds["plain.viz"] = plain.finish();
    seeds["cut-directory.viz"] = plain.finish(false);

    test::ArchiveBytes appended;
    appended.add(
        "\x7F"
        "ELF and the rest of a program");
    appended.addEntry("font.bmp", "glyphs");
    appended.addEntry("level.dat", "1 2 3\r\n4 5 6\r\n");
    seeds["end-relative.viz"] = appended.finishEndRelative();

    test::ArchiveBytes odd;
    std::string block = test::lzoBlock("escaped");
    uint32_t at = odd.add(block);
    odd.addDirectoryEntry({"..", static_cast<int32_t>(at), static_cast<uint32_t>(block.size())});
    odd.addDirectoryEntry({"far.txt", 1 << 20, 16});
    odd.addDirectoryEntry({"garbage.txt", 0, 6});
    seeds["odd-entries.viz"] = odd.finish();
    return seeds;
}

Seeds waveSeeds() {
    Seeds seeds;
    seeds["stereo16.wav"] = test::waveFile({}, test::pcm16(8, 2, 1000));
    test::WaveLayout listed;
    listed.formatSize = 18;
    listed.channels = 1;
    listed.bits = 8;
    listed.before = {{"LIST", "INFOISFT\x03\0\0\0abc"}, {"fact", std::string("\x08\0\0\0", 4)}};
    seeds["mono8-list.wav"] = test::waveFile(listed, std::string(9, '\x90'));
    test::WaveLayout extensible;
    extensible.formatSize = 40;
    extensible.tag = 0xFFFE;
    extensible.rate = 11025;
    seeds["extensible.wav"] = test::waveFile(extensible, test::pcm16(5, 2, -300));
    return seeds;
}

Seeds iniSeeds() {
    Seeds seeds;
    seeds["player.ini"] =
        "top = 1\r\n; note\r\n[Player]\r\n name = Ann\r\nscore=10\r\nkey=\r\n"
        "[ Other ]\r\n[Player]\r\nextra=x y \r\n[]]\r\n[a=b]\r\n";
    seeds["long-lines.ini"] = "[s]\nk=" + std::string(1030, 'v') + "\r\nq=1\r\r\n";
    return seeds;
}

Seeds lineSeeds() {
    // The first byte of a seed picks the read sizes; the rest is the file.
    Seeds seeds;
    seeds["full-lines.txt"] = "\x07" + std::string(1023, 'a') + "\r\n" + std::string(1024, 'b') +
                              "\r\n" + std::string(1024, 'c') + "\n" + std::string(1500, 'd');
    seeds["short-lines.txt"] = std::string("\x3F", 1) + "ab\r\ncd\re\n\n\r" + std::string(1, '\0');
    return seeds;
}

const std::map<std::string, Seeds>& allSeeds() {
    static const std::map<std::string, Seeds> seeds = {
        {"bmp_decoder_fuzz", bmpSeeds()},       {"png_decoder_fuzz", pngSeeds()},
        {"media_archive_fuzz", archiveSeeds()}, {"ini_document_fuzz", iniSeeds()},
        {"line_reader_fuzz", lineSeeds()},      {"wave_reader_fuzz", waveSeeds()},
    };
    return seeds;
}

fs::path corpusFolder() {
    const char* source = std::getenv("VORLAN_SOURCE_DIR");
    return fs::path(source != nullptr ? source : ".") / "fuzz" / "corpus";
}

TEST(SeedCorpus, CommittedSeedsAreTheGeneratedOnes) {
    fs::path corpus = corpusFolder();
    bool writing = std::getenv("VORLAN_WRITE_SEEDS") != nullptr;
    for (const auto& [target, seeds] : allSeeds()) {
        fs::path folder = corpus / target;
        if (writing) {
            fs::remove_all(folder);
            fs::create_directories(folder);
            for (const auto& [name, bytes] : seeds) test::writeWholeFile(folder / name, bytes);
            continue;
        }
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        size_t files = 0;
        for (const auto& item : fs::directory_iterator(folder)) {
            ++files;
            std::string name = item.path().filename().string();
            auto seed = seeds.find(name);
            ASSERT_NE(seed, seeds.end()) << "not made by this generator: " << item.path();
            // PNG seeds depend on the zlib that compressed them; the others
            // must match byte for byte.
            if (name.size() < 4 || name.substr(name.size() - 4) != ".png") {
                EXPECT_EQ(test::readWholeFile(item.path()), seed->second) << item.path();
            }
        }
        EXPECT_EQ(files, seeds.size()) << folder;
    }
}

}  // namespace
}  // namespace vorlan
