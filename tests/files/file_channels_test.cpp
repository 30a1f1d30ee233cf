// File channels against real files: the bytes the writers produce, the
// values the readers give back, and the lines of the line reader.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <vorlan/files.h>

#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan {
namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

RtString nameOf(const std::filesystem::path& path) {
    return RtString(path.c_str());
}

struct NumberBytes {
    double value;
    std::string asByte, asWord, asLong;
};

TEST(FileChannels, NumberWritersWrapThroughSixtyFourBits) {
    const std::vector<NumberBytes> table = {
        {1, "\x01", std::string("\x01\x00", 2), std::string("\x01\x00\x00\x00", 4)},
        {258, "\x02", "\x02\x01", std::string("\x02\x01\x00\x00", 4)},
        {65539, "\x03", std::string("\x03\x00", 2), std::string("\x03\x00\x01\x00", 4)},
        {4294967295.0, "\xFF", "\xFF\xFF", "\xFF\xFF\xFF\xFF"},
        {-1, "\xFF", "\xFF\xFF", "\xFF\xFF\xFF\xFF"},
        {kNaN, std::string(1, '\0'), std::string(2, '\0'), std::string(4, '\0')},
    };
    test::TempFolder folder;
    for (const NumberBytes& row : table) {
        ASSERT_EQ(openChannel(3, nameOf(folder.file("n.bin")), 0), 1.0);
        writeByte(3, row.value);
        writeWord(3, row.value);
        writeLong(3, row.value);
        closeChannel(3);
        EXPECT_EQ(test::readWholeFile(folder.file("n.bin")), row.asByte + row.asWord + row.asLong)
            << row.value;
    }
}

TEST(FileChannels, ValuesReadBackAsWrittenAndUnsigned) {
    test::TempFolder folder;
    RtString name = nameOf(folder.file("v.bin"));
    test::writeWholeFile(folder.file("v.bin"), "\xFF\xFF\xFF\xFF\xFF\xFF\x80");
    ASSERT_EQ(openChannel(0, name, 1), 1.0);
    EXPECT_EQ(readLong(0), 4294967295.0);
    EXPECT_EQ(readWord(0), 65535.0);
    EXPECT_EQ(endOfChannel(0), 0.0);
    EXPECT_EQ(readByte(0), 128.0);
    EXPECT_EQ(endOfChannel(0), 1.0);

    // Every kind reads back as written, on channel 7.9 (= 7).
    RtString copy = nameOf(folder.file("copy.bin"));
    ASSERT_EQ(openChannel(7.9, copy, 0), 1.0);
    EXPECT_EQ(endOfChannel(7), 1.0);
    writeDouble(7, -2.5e-300);
    writeText(7, "ab");
    writeLine(7, "cd");
    writeNumberLine(7, 0.25);
    closeChannel(7);
    ASSERT_EQ(openChannel(7, copy, 1), 1.0);
    EXPECT_EQ(readDouble(7), -2.5e-300);
    EXPECT_EQ(compareText(readBytesAsText(7, 2), "ab"), 0);
    EXPECT_EQ(compareText(readLine(7), "cd"), 0);
    EXPECT_EQ(readNumberLine(7), 0.25);
    EXPECT_EQ(endOfChannel(7), 1.0);
    EXPECT_EQ(readBytesAsText(7, -5).length(), 0u);
    closeChannel(7);
}

std::string run(size_t length, char first = 'a') {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += static_cast<char>(first + i % 23);
    return text;
}

struct LineCase {
    const char* what;
    std::string bytes;
    std::vector<std::string> lines;
};

TEST(FileChannels, LineReaderMatrix) {
    std::vector<LineCase> table = {
        {"CR LF and a last line", "ab\r\ncd", {"ab", "cd"}},
        {"last line of 63", "x\r\n" + run(63), {"x", run(63)}},
        {"last line of 64", "x\n" + run(64), {"x", run(64)}},
        {"last line of 65", "x\n" + run(65), {"x", run(65)}},
        {"last line of 128", run(128), {run(128)}},
        {"last line of 1024", run(1024), {run(1024)}},
        {"last line of 1500", run(1500) + "\n", {run(1024), run(1500).substr(1024)}},
        {"CR LF across 64", run(63) + "\r\n" + "z", {run(63), "z"}},
        {"CR LF across 128", run(127) + "\r\nz\r\n", {run(127), "z"}},
        {"1023 + CR LF", run(1023) + "\r\nnext", {run(1023), "next"}},
        {"1024 + LF", run(1024) + "\nnext", {run(1024), "next"}},
        {"1024 + CR LF", run(1024) + "\r\nnext\n", {run(1024), "next"}},
        {"1024 + CR at the end", run(1024) + "\r", {run(1024)}},
        {"lone CR inside", "a\rb\r\nc\r", {"a\rb", "c"}},
        {"empty lines", "\n\r\n\nq", {"", "", "", "q"}},
        {"NUL cuts the text", std::string("a\0b\nc", 5), {"a", "c"}},
        {"NUL in a full line", std::string(1030, '\0') + "\nd", {"", "", "d"}},
    };
    test::TempFolder folder;
    for (const LineCase& row : table) {
        test::writeWholeFile(folder.file("l.txt"), row.bytes);
        ASSERT_EQ(openChannel(2, nameOf(folder.file("l.txt")), 1), 1.0);
        for (const std::string& line : row.lines) {
            EXPECT_EQ(endOfChannel(2), 0.0) << row.what;
            EXPECT_EQ(std::string(readLine(2).cStr()), line) << row.what;
        }
        EXPECT_EQ(endOfChannel(2), 1.0) << row.what;
        closeChannel(2);
    }
}

TEST(FileChannels, WritersAndReadersOfOneFileExcludeEachOther) {
    test::TempFolder folder;
    test::writeWholeFile(folder.file("shared.txt"), "keep\r\n");
    RtString plain = nameOf(folder.file("shared.txt"));
    RtString dotted = nameOf(folder.path() / "." / "shared.txt");
    std::filesystem::create_symlink(folder.file("shared.txt"), folder.file("link.txt"));
    RtString linked = nameOf(folder.file("link.txt"));

    ASSERT_EQ(openChannel(0, plain, 1), 1.0);
    EXPECT_EQ(openChannel(1, dotted, 1), 1.0);  // two readers are fine
    EXPECT_EQ(openChannel(2, linked, 0), 0.0);  // a writer would empty it
    EXPECT_EQ(test::readWholeFile(folder.file("shared.txt")), "keep\r\n");
    closeChannel(0);
    closeChannel(1);
    ASSERT_EQ(openChannel(2, linked, 0), 1.0);
    EXPECT_EQ(openChannel(3, plain, 1), 0.0);
    EXPECT_EQ(openChannel(3, dotted, 0), 0.0);
    // Reopening its own channel is no clash: the old file closes first.
    EXPECT_EQ(openChannel(2, plain, 0), 1.0);
    closeChannel(2);
}

TEST(FileChannels, OnlyFilesOpenAndEveryDescriptorClosesOnExec) {
    test::TempFolder folder;
    std::filesystem::create_directory(folder.file("dir"));
    ASSERT_EQ(mkfifo(folder.file("fifo").c_str(), 0600), 0);
    for (const char* name : {"dir", "fifo", "missing"}) {
        EXPECT_EQ(openChannel(4, nameOf(folder.file(name)), 1), 0.0) << name;
        EXPECT_EQ(openChannel(4, nameOf(folder.file(name)), 0), name[0] == 'm' ? 1.0 : 0.0) << name;
        closeChannel(4);
        EXPECT_EQ(fileExists(nameOf(folder.file(name))), name[0] == 'm' ? 1.0 : 0.0) << name;
    }
    EXPECT_EQ(openChannel(4, RtString(("x" + std::string(1100, 'y')).c_str()), 0), 0.0);

    // A program started now sees none of the channel's descriptors.
    ASSERT_EQ(openChannel(5, nameOf(folder.file("missing")), 1), 1.0);
    std::string inherited = test::runCommand("ls -l /proc/$$/fd");
    EXPECT_EQ(inherited.find(folder.file("missing").string()), std::string::npos) << inherited;
    EXPECT_NE(inherited.find("/dev/"), std::string::npos) << inherited;
    closeChannel(5);
}

}  // namespace
}  // namespace vorlan
