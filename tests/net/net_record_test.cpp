// Records cut out of a byte stream however it is split, and the
// registration block read back from its bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/net_record.h"

namespace vorlan {
namespace {

struct StreamCase {
    const char* name;
    std::string bytes;
    std::vector<NetRecord> expected;
};

std::vector<StreamCase> streamCases() {
    NetRecord hello = makeRecord(RecordType::Message, 102, 101, "hello");
    NetRecord empty = makeRecord(RecordType::JoinCheck, 0, 7);
    NetRecord longest = makeRecord(RecordType::Message, -1, 9, std::string(1024, 'z'));
    NetRecord withTag = makeRecord(RecordType::Message, 3, 4, "a VRLN inside");
    std::string overLong = std::string("VRLN\3") + int32Text(1025) + int32Text(1) + int32Text(2);
    return {
        {"TwoBackToBack", encodeRecord(hello) + encodeRecord(empty), {hello, empty}},
        {"LongestText", encodeRecord(longest), {longest}},
        {"TagInsideText", encodeRecord(withTag) + encodeRecord(empty), {withTag, empty}},
        {"LengthJustOver", overLong + encodeRecord(empty), {empty}},
        {"TruncatedAtEnd", encodeRecord(hello) + encodeRecord(longest).substr(0, 500), {hello}},
        {"OnlyGarbage", std::string(3000, 'V'), {}},
    };
}

class RecordStream : public testing::TestWithParam<StreamCase> {};

TEST_P(RecordStream, SameRecordsForEverySplit) {
    const StreamCase& c = GetParam();
    for (size_t piece : {c.bytes.size(), size_t{1}, size_t{2}, size_t{3}, size_t{16}, size_t{17},
                         size_t{18}, size_t{1000}}) {
        SCOPED_TRACE(piece);
        RecordAssembler assembler;
        std::vector<std::string> got;
        for (size_t at = 0; at < c.bytes.size(); at += piece) {
            std::string part = c.bytes.substr(at, piece);
            assembler.feed(part.data(), part.size());
            for (NetRecord record; assembler.next(record);) got.push_back(encodeRecord(record));
        }
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], encodeRecord(c.expected[i]));
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, RecordStream, testing::ValuesIn(streamCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PlayerBlock, NamesEndAtTheirNulOr127BytesAndShortBlocksAreRefused) {
    struct Case {
        std::string bytes;
        bool valid;
        std::string name;
    };
    const Case cases[] = {
        {encodePlayerBlock({7, false, true, "Brinna"}), true, "Brinna"},
        {encodePlayerBlock({1, false, false, std::string(200, 'n')}), true, std::string(127, 'n')},
        {std::string(10, '\0') + std::string(kPlayerBlockBytes - 10, 'q'), true,
         std::string(127, 'q')},
        {encodePlayerBlock({1, false, false, "x"}).substr(0, kPlayerBlockBytes - 1), false, ""},
    };
    for (const Case& c : cases) {
        PlayerBlock back;
        ASSERT_EQ(decodePlayerBlock(c.bytes, back), c.valid);
        if (c.valid) {
            EXPECT_EQ(back.name, c.name);
        }
    }
}

}  // namespace
}  // namespace vorlan
