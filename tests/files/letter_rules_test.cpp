// Where the line reader's full-length lines end, read through a channel
// from real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vorlan/files.h>

#include "support/temp_folder.h"

namespace vorlan {
namespace {

struct FullLineCase {
    const char* what;
    std::string bytes;
    std::vector<std::string> lines;
};

TEST(LineLetters, AFullLineKeepsItsLastCarriageReturn) {
    const std::string x1022(1022, 'x');
    const std::string x1023(1023, 'x');
    const std::vector<FullLineCase> table = {
        {"1024 ending in CR, end of file", x1023 + "\r", {x1023 + "\r"}},
        {"1024 ending in CR, more after", x1023 + "\rz", {x1023 + "\r", "z"}},
        {"1023 ending in CR, end of file", x1022 + "\r", {x1022}},
    };
    test::TempFolder folder;
    RtString name(folder.file("full.txt").c_str());
    for (const FullLineCase& row : table) {
        test::writeWholeFile(folder.file("full.txt"), row.bytes);
        ASSERT_EQ(openChannel(5, name, 1), 1.0) << row.what;
        for (const std::string& line : row.lines) {
            RtString got = readLine(5);
            EXPECT_EQ(std::string(got.cStr(), got.length()), line) << row.what;
        }
        EXPECT_EQ(endOfChannel(5), 1.0) << row.what;
        closeChannel(5);
    }
}

}  // namespace
}  // namespace vorlan
