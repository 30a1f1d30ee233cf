// The planner's containers on their own: FixedDeque,
// NodeHashTable with FindCursor, and NodeFactory.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "path/fixed_deque.h"
#include "path/node.h"

namespace vorlan::path {
namespace {

std::vector<int> contents(FixedDeque<int>& deque) {
    std::vector<int> out;
    for (uint32_t i = 0; i < deque.size(); ++i) out.push_back(deque.at(i));
    return out;
}

// --- FixedDeque -------------------------------------------------------------

TEST(FixedDeque, StartsEmpty) {
    FixedDeque<int> deque(4);
    EXPECT_TRUE(deque.empty());
    EXPECT_FALSE(deque.full());
    EXPECT_EQ(deque.size(), 0u);
    EXPECT_EQ(deque.capacity(), 4u);
    EXPECT_EQ(deque.headPosition(), 0u);
    EXPECT_EQ(deque.tailPosition(), 0u);
}

TEST(FixedDeque, PushBackWrapsTheTailToZero) {
    FixedDeque<int> deque(4);
    for (int v = 1; v <= 4; ++v) ASSERT_TRUE(deque.push_back(v));
    // Full: head equals tail and the empty flag tells the two apart.
    EXPECT_TRUE(deque.full());
    EXPECT_EQ(deque.size(), 4u);
    EXPECT_EQ(deque.headPosition(), deque.tailPosition());
    EXPECT_EQ(deque.tailPosition(), 0u);

    ASSERT_TRUE(deque.pop_front());
    ASSERT_TRUE(deque.pop_front());
    EXPECT_EQ(deque.headPosition(), 2u);
    ASSERT_TRUE(deque.push_back(5));
    ASSERT_TRUE(deque.push_back(6));
    EXPECT_EQ(deque.tailPosition(), 2u);
    EXPECT_EQ(contents(deque), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(deque.back(), 6);
    // at(i) is (head + i) mod capacity: element 2 sits at ring position 0.
    EXPECT_EQ(deque.at(2), 5);
}

TEST(FixedDeque, PushFrontWrapsTheHeadToTheLastPosition) {
    FixedDeque<int> deque(4);
    ASSERT_TRUE(deque.push_front(1));
    EXPECT_EQ(deque.headPosition(), 3u);
    EXPECT_EQ(deque.tailPosition(), 0u);
    // back() is the element at tail - 1, at capacity - 1 when tail is 0.
    EXPECT_EQ(deque.back(), 1);
    ASSERT_TRUE(deque.push_front(2));
    ASSERT_TRUE(deque.push_back(3));
    EXPECT_EQ(contents(deque), (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(deque.back(), 3);
}

TEST(FixedDeque, PopBackWrapsTheTailToTheLastPosition) {
    FixedDeque<int> deque(3);
    ASSERT_TRUE(deque.push_back(1));
    ASSERT_TRUE(deque.push_back(2));
    ASSERT_TRUE(deque.push_back(3));  // tail wraps to 0
    ASSERT_TRUE(deque.pop_back());
    EXPECT_EQ(deque.tailPosition(), 2u);
    EXPECT_EQ(deque.back(), 2);
    ASSERT_TRUE(deque.pop_back());
    ASSERT_TRUE(deque.pop_back());
    EXPECT_TRUE(deque.empty());
    EXPECT_FALSE(deque.pop_back());
    EXPECT_FALSE(deque.pop_front());
}

TEST(FixedDeque, PopFrontWrapsTheHeadToZero) {
    FixedDeque<int> deque(3);
    ASSERT_TRUE(deque.push_front(1));  // head 2
    ASSERT_TRUE(deque.push_back(2));   // tail 1
    ASSERT_TRUE(deque.pop_front());
    EXPECT_EQ(deque.headPosition(), 0u);
    EXPECT_EQ(contents(deque), (std::vector<int>{2}));
}

TEST(FixedDeque, FullDequeRefusesEveryAddition) {
    FixedDeque<int> deque(3);
    for (int v = 1; v <= 3; ++v) ASSERT_TRUE(deque.push_back(v));
    EXPECT_FALSE(deque.push_back(9));
    EXPECT_FALSE(deque.push_front(9));
    EXPECT_FALSE(deque.insert(0, 9));
    EXPECT_FALSE(deque.insert(1, 9));
    EXPECT_FALSE(deque.insert(3, 9));
    EXPECT_EQ(contents(deque), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(deque.full());
}

TEST(FixedDeque, InsertAtZeroPrependsAndAtSizeAppends) {
    FixedDeque<int> deque(5);
    ASSERT_TRUE(deque.insert(0, 2));  // empty: position 0 is the tail, a push_back
    EXPECT_EQ(deque.tailPosition(), 1u);
    ASSERT_TRUE(deque.insert(0, 1));  // a push_front: head wraps to 4
    EXPECT_EQ(deque.headPosition(), 4u);
    ASSERT_TRUE(deque.insert(2, 3));  // index size: a push_back
    EXPECT_EQ(contents(deque), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(deque.headPosition(), 4u);
    EXPECT_EQ(deque.tailPosition(), 2u);
}

TEST(FixedDeque, InsertInTheMiddleRebuildsFromPositionZero) {
    FixedDeque<int> deque(5);
    ASSERT_TRUE(deque.push_front(2));  // head 4
    ASSERT_TRUE(deque.push_back(4));   // tail 1
    ASSERT_TRUE(deque.insert(1, 3));
    EXPECT_EQ(contents(deque), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(deque.headPosition(), 0u);
    EXPECT_EQ(deque.tailPosition(), 3u);
    EXPECT_EQ(deque.back(), 4);
}

TEST(FixedDeque, InsertionThatFillsLeavesItFull) {
    FixedDeque<int> deque(4);
    ASSERT_TRUE(deque.push_back(1));
    ASSERT_TRUE(deque.push_back(2));
    ASSERT_TRUE(deque.push_back(4));
    ASSERT_TRUE(deque.insert(2, 3));  // middle: tail = size + 1 = 4 wraps to 0
    EXPECT_TRUE(deque.full());
    EXPECT_EQ(deque.size(), deque.capacity());
    EXPECT_EQ(deque.tailPosition(), 0u);
    EXPECT_EQ(contents(deque), (std::vector<int>{1, 2, 3, 4}));

    FixedDeque<int> atEnds(2);
    ASSERT_TRUE(atEnds.insert(0, 2));
    ASSERT_TRUE(atEnds.insert(0, 1));  // push_front fills it
    EXPECT_TRUE(atEnds.full());
    EXPECT_EQ(atEnds.size(), 2u);
    EXPECT_EQ(contents(atEnds), (std::vector<int>{1, 2}));
}

TEST(FixedDeque, InsertBeyondTheSizeIsRefused) {
    FixedDeque<int> deque(4);
    // Index 4 on an empty ring of 4 lands on the tail position; it is still
    // an index beyond the size.
    EXPECT_FALSE(deque.insert(4, 1));
    EXPECT_FALSE(deque.insert(1, 1));
    ASSERT_TRUE(deque.push_back(1));
    EXPECT_FALSE(deque.insert(2, 9));
    EXPECT_EQ(contents(deque), (std::vector<int>{1}));
}

TEST(FixedDeque, EraseAtZeroWithTheFrontAtTheLastRingPosition) {
    FixedDeque<int> deque(4);
    for (int v = 1; v <= 4; ++v) ASSERT_TRUE(deque.push_back(v));
    for (int k = 0; k < 3; ++k) ASSERT_TRUE(deque.pop_front());
    ASSERT_TRUE(deque.push_back(5));
    ASSERT_TRUE(deque.push_back(6));
    ASSERT_EQ(deque.headPosition(), 3u);
    ASSERT_EQ(contents(deque), (std::vector<int>{4, 5, 6}));

    ASSERT_TRUE(deque.erase(0));
    // The front element went; the back element stayed where it was.
    EXPECT_EQ(contents(deque), (std::vector<int>{5, 6}));
    EXPECT_EQ(deque.headPosition(), 0u);
    EXPECT_EQ(deque.tailPosition(), 2u);
    EXPECT_EQ(deque.back(), 6);
}

TEST(FixedDeque, EraseOfTheLastElementIsAPopBack) {
    FixedDeque<int> deque(4);
    ASSERT_TRUE(deque.push_front(1));  // head 3
    ASSERT_TRUE(deque.push_back(2));
    ASSERT_TRUE(deque.push_back(3));
    ASSERT_TRUE(deque.erase(2));
    EXPECT_EQ(contents(deque), (std::vector<int>{1, 2}));
    EXPECT_EQ(deque.headPosition(), 3u);
    // A single element at the last ring position: index 0 is also the last.
    ASSERT_TRUE(deque.erase(1));
    ASSERT_TRUE(deque.erase(0));
    EXPECT_TRUE(deque.empty());
}

TEST(FixedDeque, EraseInTheMiddleRebuildsFromPositionZero) {
    FixedDeque<int> deque(5);
    ASSERT_TRUE(deque.push_front(2));
    ASSERT_TRUE(deque.push_front(1));  // head 3
    ASSERT_TRUE(deque.push_back(3));
    ASSERT_TRUE(deque.push_back(4));  // wraps: positions 3, 4, 0, 1
    ASSERT_TRUE(deque.erase(2));
    EXPECT_EQ(contents(deque), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(deque.headPosition(), 0u);
    EXPECT_EQ(deque.tailPosition(), 3u);
    EXPECT_FALSE(deque.empty());
}

TEST(FixedDeque, EraseRefusesAnEmptyDequeAndIndicesBeyondTheSize) {
    FixedDeque<int> deque(4);
    EXPECT_FALSE(deque.erase(0));
    ASSERT_TRUE(deque.push_back(1));
    ASSERT_TRUE(deque.push_back(2));
    EXPECT_FALSE(deque.erase(2));
    EXPECT_FALSE(deque.erase(100));
    EXPECT_EQ(contents(deque), (std::vector<int>{1, 2}));
}

TEST(FixedDeque, CapacityZeroRefusesEverything) {
    FixedDeque<int> deque;
    EXPECT_EQ(deque.capacity(), 0u);
    EXPECT_FALSE(deque.push_back(1));
    EXPECT_FALSE(deque.push_front(1));
    EXPECT_FALSE(deque.insert(0, 1));
    EXPECT_FALSE(deque.pop_back());
    EXPECT_FALSE(deque.pop_front());
    EXPECT_FALSE(deque.erase(0));
    EXPECT_TRUE(deque.empty());
}

TEST(FixedDeque, ReserveAndClearStartOver) {
    FixedDeque<int> deque(2);
    ASSERT_TRUE(deque.push_front(1));
    ASSERT_TRUE(deque.reserve(6));
    EXPECT_EQ(deque.capacity(), 6u);
    EXPECT_TRUE(deque.empty());
    EXPECT_EQ(deque.headPosition(), 0u);
    for (int v = 0; v < 6; ++v) ASSERT_TRUE(deque.push_back(v));
    deque.clear();
    EXPECT_TRUE(deque.empty());
    EXPECT_EQ(deque.size(), 0u);
    EXPECT_EQ(deque.tailPosition(), 0u);
}

// --- NodeHashTable ----------------------------------------------------------

TEST(NodeHashTable, ConstructedWithOneBucket) {
    NodeHashTable table;
    EXPECT_EQ(table.bits(), 0u);
    EXPECT_EQ(table.bucketCount(), 1u);
    EXPECT_EQ(table.count(), 0u);
    Node node;
    node.x = 5;
    node.y = 7;
    EXPECT_TRUE(table.insert(&node));
    FindCursor cursor;
    EXPECT_EQ(table.find(cursor, 5, 7), &node);
    EXPECT_EQ(cursor.bucket, 0u);
}

TEST(NodeHashTable, InitRoundsTheBits) {
    NodeHashTable table;
    ASSERT_TRUE(table.init(8));
    EXPECT_EQ(table.bucketCount(), 256u);
    ASSERT_TRUE(table.init(9));  // odd: rounded down to 8
    EXPECT_EQ(table.bits(), 8u);
    EXPECT_EQ(table.bucketCount(), 256u);
    ASSERT_TRUE(table.init(7));
    EXPECT_EQ(table.bucketCount(), 64u);
    ASSERT_TRUE(table.init(1));
    EXPECT_EQ(table.bucketCount(), 1u);
    ASSERT_TRUE(table.init(30));  // above 24: 24
    EXPECT_EQ(table.bits(), 24u);
    EXPECT_EQ(table.bucketCount(), 1u << 24);
    EXPECT_EQ(table.count(), 0u);
}

TEST(NodeHashTable, BucketRuleWithEightBits) {
    NodeHashTable table;
    ASSERT_TRUE(table.init(8));
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 40; ++x) {
            ASSERT_EQ(table.bucketOf(x, y), uint32_t(x % 16 + 16 * (y % 16))) << x << "," << y;
        }
    }
    // Cells 16 apart in both directions share a bucket.
    EXPECT_EQ(table.bucketOf(3, 5), table.bucketOf(19, 21));
    EXPECT_NE(table.bucketOf(3, 5), table.bucketOf(19, 5 + 1));
    // Other even sizes: half = bits / 2 low bits of each coordinate.
    ASSERT_TRUE(table.init(4));
    EXPECT_EQ(table.bucketOf(5, 6), (5u & 3u) | ((6u & 3u) << 2));
}

TEST(NodeHashTable, FindFillsTheCursor) {
    NodeHashTable table;
    ASSERT_TRUE(table.init(8));
    Node a;
    a.x = 3;
    a.y = 5;
    Node b;  // same bucket, other cell
    b.x = 19;
    b.y = 21;
    ASSERT_TRUE(table.insert(&a));
    ASSERT_TRUE(table.insert(&b));  // linked in at the head: b, a
    EXPECT_EQ(table.count(), 2u);

    FindCursor cursor;
    EXPECT_EQ(table.find(cursor, 3, 5), &a);
    EXPECT_EQ(cursor.table, &table);
    EXPECT_EQ(cursor.bucket, 3u + 16u * 5u);
    EXPECT_EQ(cursor.found, &a);
    EXPECT_EQ(cursor.link, &b.next);  // the previous node's next

    EXPECT_EQ(table.find(cursor, 4, 5), nullptr);
    EXPECT_EQ(cursor.found, nullptr);
    EXPECT_EQ(table.removeFound(cursor), nullptr);
}

TEST(NodeHashTable, InsertRefusesTheSameNodeTwice) {
    NodeHashTable table;
    ASSERT_TRUE(table.init(8));
    Node a;
    a.x = 1;
    a.y = 1;
    Node twin;  // another node of the same cell is a different object
    twin.x = 1;
    twin.y = 1;
    EXPECT_TRUE(table.insert(&a));
    EXPECT_FALSE(table.insert(&a));
    EXPECT_TRUE(table.insert(&twin));
    EXPECT_EQ(table.count(), 2u);
    // The first node of the chain with that cell: the latest linked in.
    FindCursor cursor;
    EXPECT_EQ(table.find(cursor, 1, 1), &twin);
}

TEST(NodeHashTable, RemoveFoundUnlinksTheNode) {
    NodeHashTable table;
    ASSERT_TRUE(table.init(8));
    Node nodes[3];
    for (int i = 0; i < 3; ++i) {
        nodes[i].x = 2 + 16 * i;  // all in one bucket
        nodes[i].y = 2;
        ASSERT_TRUE(table.insert(&nodes[i]));
    }
    FindCursor cursor;
    ASSERT_EQ(table.find(cursor, 18, 2), &nodes[1]);  // the middle of the chain
    EXPECT_EQ(table.removeFound(cursor), &nodes[1]);
    EXPECT_EQ(table.count(), 2u);
    EXPECT_EQ(table.find(cursor, 18, 2), nullptr);
    EXPECT_EQ(table.find(cursor, 2, 2), &nodes[0]);
    EXPECT_EQ(table.find(cursor, 34, 2), &nodes[2]);
    // Removed nodes can go back in.
    EXPECT_TRUE(table.insert(&nodes[1]));
    EXPECT_EQ(table.find(cursor, 18, 2), &nodes[1]);
}

TEST(NodeHashTable, ClearGivesOneNodeBackPerNode) {
    NodeFactory pool;
    ASSERT_TRUE(pool.init(10));
    NodeHashTable table;
    ASSERT_TRUE(table.init(8));
    for (int i = 0; i < 5; ++i) {
        Node* node = pool.acquire();
        ASSERT_NE(node, nullptr);
        node->x = i * 7;
        node->y = i;
        if (i < 4) {
            ASSERT_TRUE(table.insert(node));
        }
    }
    ASSERT_EQ(pool.used(), 5u);
    table.clear(pool);
    EXPECT_EQ(pool.used(), 1u);
    EXPECT_EQ(table.count(), 0u);
    FindCursor cursor;
    EXPECT_EQ(table.find(cursor, 0, 0), nullptr);
}

// --- NodeFactory ------------------------------------------------------------

TEST(NodeFactory, ConstructedEmpty) {
    NodeFactory pool;
    EXPECT_EQ(pool.capacity(), 0u);
    EXPECT_EQ(pool.used(), 0u);
    EXPECT_EQ(pool.acquire(), nullptr);
    pool.giveBack();
    EXPECT_EQ(pool.used(), 0u);
}

TEST(NodeFactory, InitWithZeroChangesNothing) {
    NodeFactory pool;
    EXPECT_FALSE(pool.init(0));
    EXPECT_EQ(pool.capacity(), 0u);
    ASSERT_TRUE(pool.init(3));
    Node* first = pool.acquire();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(pool.init(0));
    EXPECT_EQ(pool.capacity(), 3u);
    EXPECT_EQ(pool.used(), 1u);
}

TEST(NodeFactory, HandsOutInOrderAndTakesBackByCount) {
    NodeFactory pool;
    ASSERT_TRUE(pool.init(3));
    Node* a = pool.acquire();
    Node* b = pool.acquire();
    Node* c = pool.acquire();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_EQ(pool.used(), 3u);
    EXPECT_EQ(pool.acquire(), nullptr);  // dry

    a->x = 42;
    // Giving back is by count: whichever node the caller means, the last
    // one handed out is the next to go out again.
    pool.giveBack();
    EXPECT_EQ(pool.used(), 2u);
    EXPECT_EQ(pool.acquire(), c);
    pool.giveBack();
    pool.giveBack();
    pool.giveBack();
    pool.giveBack();  // not below 0
    EXPECT_EQ(pool.used(), 0u);
    Node* again = pool.acquire();
    EXPECT_EQ(again, a);
    EXPECT_EQ(again->x, 42);  // fields hold what the last user left
}

TEST(NodeFactory, InitAgainStartsAFreshPool) {
    NodeFactory pool;
    ASSERT_TRUE(pool.init(2));
    ASSERT_NE(pool.acquire(), nullptr);
    ASSERT_TRUE(pool.init(5));
    EXPECT_EQ(pool.capacity(), 5u);
    EXPECT_EQ(pool.used(), 0u);
    for (int i = 0; i < 5; ++i) EXPECT_NE(pool.acquire(), nullptr);
    EXPECT_EQ(pool.acquire(), nullptr);
}

}  // namespace
}  // namespace vorlan::path
