// File channels against real files: the bytes the writers produce, the
// values the readers give back, and the lines of the line reader.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <vorlan/files.h>

#include "files/in_folder.h"
#include "support/subprocess.h"

namespace vorlan {
namespace {

using FileChannels = test::InFolder;

TEST_F(FileChannels, NumberWritersWrapThroughSixtyFourBits) {
    struct Row {
        double value;
        std::string asByte, asWord, asLong;
    };
    const std::vector<Row> table = {
        {1, "\x01", std::string("\x01\x00", 2), std::string("\x01\x00\x00\x00", 4)},
        {258, "\x02", "\x02\x01", std::string("\x02\x01\x00\x00", 4)},
        {65539, "\x03", std::string("\x03\x00", 2), std::string("\x03\x00\x01\x00", 4)},
        {4294967295.0, "\xFF", "\xFF\xFF", "\xFF\xFF\xFF\xFF"},
        {-1, "\xFF", "\xFF\xFF", "\xFF\xFF\xFF\xFF"},
        {std::nan(""), std::string(1, '\0'), std::string(2, '\0'), std::string(4, '\0')},
    };
    for (const Row& row : table) {
        ASSERT_EQ(openChannel(3, "n.bin", 0), 1.0);
        writeByte(3, row.value);
        writeWord(3, row.value);
        writeLong(3, row.value);
        closeChannel(3);
        EXPECT_EQ(test::readWholeFile("n.bin"), row.asByte + row.asWord + row.asLong) << row.value;
    }
}

TEST_F(FileChannels, ValuesReadBackAsWrittenAndUnsigned) {
    test::writeWholeFile("v.bin", "\xFF\xFF\xFF\xFF\xFF\xFF\x80");
    ASSERT_EQ(openChannel(0, "v.bin", 1), 1.0);
    EXPECT_EQ(readLong(0), 4294967295.0);
    EXPECT_EQ(readWord(0), 65535.0);
    EXPECT_EQ(readByte(0), 128.0);
    closeChannel(0);
    // Every kind reads back as written, on channel 7.9 (= 7).
    ASSERT_EQ(openChannel(7.9, "copy.bin", 0), 1.0);
    EXPECT_EQ(endOfChannel(7), 1.0);
    writeDouble(7, -2.5e-300);
    writeText(7, "ab");
    writeLine(7, "cd");
    writeNumberLine(7, 0.25);
    closeChannel(7);
    ASSERT_EQ(openChannel(7, "copy.bin", 1), 1.0);
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

TEST_F(FileChannels, LineReaderMatrix) {
    struct Row {
        const char* what;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Row> table = {
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
        // A full line keeps its last CR, at the end of the file or not.
        {"1023 + CR at the end", run(1023) + "\r", {run(1023) + "\r"}},
        {"1023 + CR, more after", run(1023) + "\rz", {run(1023) + "\r", "z"}},
        {"1022 + CR at the end", run(1022) + "\r", {run(1022)}},
        {"lone CR inside", "a\rb\r\nc\r", {"a\rb", "c"}},
        {"empty lines", "\n\r\n\nq", {"", "", "", "q"}},
        {"NUL cuts the text", std::string("a\0b\nc", 5), {"a", "c"}},
        {"NUL in a full line", std::string(1030, '\0') + "\nd", {"", "", "d"}},
    };
    for (const Row& row : table) {
        test::writeWholeFile("l.txt", row.bytes);
        ASSERT_EQ(openChannel(2, "l.txt", 1), 1.0);
        for (const std::string& line : row.lines) {
            EXPECT_EQ(endOfChannel(2), 0.0) << row.what;
            RtString got = readLine(2);
            EXPECT_EQ(std::string(got.cStr(), got.length()), line) << row.what;
        }
        EXPECT_EQ(endOfChannel(2), 1.0) << row.what;
        closeChannel(2);
    }
}

TEST_F(FileChannels, WritersAndReadersOfOneFileExcludeEachOther) {
    test::writeWholeFile("shared.txt", "keep\r\n");
    std::filesystem::create_symlink("shared.txt", "link.txt");
    ASSERT_EQ(openChannel(0, "shared.txt", 1), 1.0);
    EXPECT_EQ(openChannel(1, "./shared.txt", 1), 1.0);  // two readers are fine
    EXPECT_EQ(openChannel(2, "link.txt", 0), 0.0);      // a writer would empty it
    EXPECT_EQ(test::readWholeFile("shared.txt"), "keep\r\n");
    closeChannel(0);
    closeChannel(1);
    ASSERT_EQ(openChannel(2, "link.txt", 0), 1.0);
    EXPECT_EQ(openChannel(3, "shared.txt", 1), 0.0);
    EXPECT_EQ(openChannel(3, "./shared.txt", 0), 0.0);
    // Reopening its own channel is no clash: the old file closes first.
    EXPECT_EQ(openChannel(2, "shared.txt", 0), 1.0);
    closeChannel(2);
}

TEST_F(FileChannels, OnlyFilesOpenAndEveryDescriptorClosesOnExec) {
    std::filesystem::create_directory("dir");
    ASSERT_EQ(mkfifo("fifo", 0600), 0);
    for (const char* name : {"dir", "fifo", "missing"}) {
        const double isFile = name[0] == 'm' ? 1.0 : 0.0;
        EXPECT_EQ(openChannel(4, name, 1), 0.0) << name;
        EXPECT_EQ(openChannel(4, name, 0), isFile) << name;
        closeChannel(4);
        EXPECT_EQ(fileExists(name), isFile) << name;
    }
    EXPECT_EQ(openChannel(4, RtString(("x" + std::string(1100, 'y')).c_str()), 0), 0.0);

    // A program started now sees none of the channel's descriptors.
    ASSERT_EQ(openChannel(5, "missing", 1), 1.0);
    std::string inherited = test::runCommand("ls -l /proc/$$/fd");
    EXPECT_EQ(inherited.find(folder_.file("missing").string()), std::string::npos) << inherited;
    EXPECT_NE(inherited.find("/dev/"), std::string::npos) << inherited;
    closeChannel(5);
}

}  // namespace
}  // namespace vorlan
