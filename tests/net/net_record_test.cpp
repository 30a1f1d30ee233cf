// Records cut out of a byte stream however it is split, and the
// registration block read back from its bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/net_record.h"

namespace vorlan {
namespace {

TEST(RecordStream, SameRecordsForEverySplit) {
    NetRecord hello = makeRecord(RecordType::Message, 102, 101, "hello");
    NetRecord empty = makeRecord(RecordType::JoinCheck, 0, 7);
    NetRecord longest = makeRecord(RecordType::Message, -1, 9, std::string(1024, 'z'));
    NetRecord withTag = makeRecord(RecordType::Message, 3, 4, "a VRLN inside");
    std::string overLong = std::string("VRLN\3") + int32Text(1025) + int32Text(1) + int32Text(2);
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<NetRecord> expected;
    };
    const Case cases[] = {
        {"two back to back", encodeRecord(hello) + encodeRecord(empty), {hello, empty}},
        {"longest text", encodeRecord(longest), {longest}},
        {"tag inside text", encodeRecord(withTag) + encodeRecord(empty), {withTag, empty}},
        {"length just over", overLong + encodeRecord(empty), {empty}},
        {"truncated at end", encodeRecord(hello) + encodeRecord(longest).substr(0, 500), {hello}},
        {"only garbage", std::string(3000, 'V'), {}},
    };
    for (const Case& c : cases) {
        for (size_t piece : {c.bytes.size(), size_t{1}, size_t{2}, size_t{3}, size_t{16},
                             size_t{17}, size_t{18}, size_t{1000}}) {
            SCOPED_TRACE(testing::Message() << c.name << " in pieces of " << piece);
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
}

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
