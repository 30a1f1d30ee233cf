// The A* planner's node pool and closed table.
//
// Internal to the path subsystem: games use findPath from <vorlan/path.h>.
#pragma once

#include <cstdint>

namespace vorlan::path {

// One visited cell.
struct Node {
    Node* parent = nullptr;  // the node it was reached from; none for the start
    int32_t x = 0;
    int32_t y = 0;
    float f = 0.0f;        // priority key of the open list
    float g = 0.0f;        // cost of the best known route from the start
    Node* next = nullptr;  // next node in the same closed-table bucket
};

// A pool of nodes, each allocated on its own at init. Nodes are handed out
// in array order and given back by count only: giving one back lowers the
// used count by one. That is sound only when every node is given back
// together (Planner::clear), never one from the middle of a search.
class NodeFactory {
  public:
    NodeFactory() = default;
    virtual ~NodeFactory();
    NodeFactory(const NodeFactory&) = delete;
    NodeFactory& operator=(const NodeFactory&) = delete;

    // Capacity 0: false, nothing changed. Otherwise drops every pooled node,
    // sets used to 0 and allocates capacity fresh nodes; false (and an empty
    // pool of capacity 0) when an allocation fails.
    bool init(uint32_t capacity);
    // The node at position used, used raised by one; none when the pool has
    // no array or every node is handed out. Its fields hold whatever the
    // last user left in them.
    Node* acquire();
    // Used lowered by one, never below 0.
    void giveBack();

    uint32_t capacity() const { return capacity_; }
    uint32_t used() const { return used_; }

  private:
    void release();

    uint32_t capacity_ = 0;
    Node** nodes_ = nullptr;
    uint32_t used_ = 0;
};

class NodeHashTable;

// The result of NodeHashTable::find.
struct FindCursor {
    NodeHashTable* table = nullptr;
    uint32_t bucket = 0;
    Node** link = nullptr;  // the bucket head or the previous node's next
    Node* found = nullptr;
};

// The closed table: 2^bits buckets, each a chain through Node::next. Cell
// (x, y) lies in bucket (x & mask) | ((y & mask) << half) with half = bits/2
// and mask = 2^half - 1.
class NodeHashTable {
  public:
    static constexpr uint32_t kMaxBits = 24;

    // Bits 0: one empty bucket (held in the table itself, no allocation).
    NodeHashTable() = default;
    virtual ~NodeHashTable();
    NodeHashTable(const NodeHashTable&) = delete;
    NodeHashTable& operator=(const NodeHashTable&) = delete;

    // Bits above 24 become 24, odd bits are rounded down to even; drops the
    // old buckets (not the nodes, which belong to the pool) and makes 2^bits
    // empty ones. False when they cannot be allocated: the table is then
    // left with bits 0 and its one bucket.
    bool init(uint32_t bits);
    // First node of cell (x, y) in its bucket's chain, or none; fills cursor.
    Node* find(FindCursor& cursor, int32_t x, int32_t y);
    // Unlinks the node that the cursor found and returns it; none if the
    // cursor found nothing.
    Node* removeFound(FindCursor& cursor);
    // False if this very node is already in its bucket's chain; otherwise
    // links it in at the head of the chain.
    bool insert(Node* node);
    // Number of nodes in all chains.
    uint32_t count() const;
    // From the last bucket to the first, gives one node back to the pool for
    // every node in each chain, then empties every bucket.
    void clear(NodeFactory& pool);

    uint32_t bits() const { return bits_; }
    uint32_t bucketCount() const { return uint32_t{1} << bits_; }
    uint32_t bucketOf(int32_t x, int32_t y) const;

  private:
    void releaseBuckets();

    Node* singleBucket_ = nullptr;
    Node** buckets_ = &singleBucket_;
    uint32_t bits_ = 0;
};

}  // namespace vorlan::path
