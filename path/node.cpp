#include "path/node.h"

#include <cstddef>
#include <new>

namespace vorlan::path {

// --- NodeFactory ----------------------------------------------------------

NodeFactory::~NodeFactory() {
    release();
}

void NodeFactory::release() {
    if (nodes_) {
        for (uint32_t i = capacity_; i > 0; --i) delete nodes_[i - 1];
        delete[] nodes_;
    }
    nodes_ = nullptr;
    capacity_ = 0;
    used_ = 0;
}

bool NodeFactory::init(uint32_t capacity) {
    if (capacity == 0) return false;
    release();
    Node** nodes = new (std::nothrow) Node*[capacity];
    if (!nodes) return false;
    for (uint32_t i = 0; i < capacity; ++i) {
        nodes[i] = new (std::nothrow) Node;
        if (!nodes[i]) {
            while (i > 0) delete nodes[--i];
            delete[] nodes;
            return false;
        }
    }
    nodes_ = nodes;
    capacity_ = capacity;
    return true;
}

Node* NodeFactory::acquire() {
    if (!nodes_ || used_ == capacity_) return nullptr;
    return nodes_[used_++];
}

void NodeFactory::giveBack() {
    if (used_ > 0) --used_;
}

// --- NodeHashTable --------------------------------------------------------

NodeHashTable::~NodeHashTable() {
    releaseBuckets();
}

void NodeHashTable::releaseBuckets() {
    if (buckets_ != &singleBucket_) delete[] buckets_;
    singleBucket_ = nullptr;
    buckets_ = &singleBucket_;
    bits_ = 0;
}

bool NodeHashTable::init(uint32_t bits) {
    if (bits > kMaxBits) bits = kMaxBits;
    bits &= ~uint32_t{1};
    releaseBuckets();
    if (bits == 0) return true;
    const std::size_t count = std::size_t{1} << bits;
    Node** buckets = new (std::nothrow) Node*[count]();
    if (!buckets) return false;
    buckets_ = buckets;
    bits_ = bits;
    return true;
}

uint32_t NodeHashTable::bucketOf(int32_t x, int32_t y) const {
    const uint32_t half = bits_ / 2;
    const uint32_t mask = (uint32_t{1} << half) - 1;
    return (static_cast<uint32_t>(x) & mask) | ((static_cast<uint32_t>(y) & mask) << half);
}

Node* NodeHashTable::find(FindCursor& cursor, int32_t x, int32_t y) {
    cursor.table = this;
    cursor.bucket = bucketOf(x, y);
    Node** link = &buckets_[cursor.bucket];
    while (*link && ((*link)->x != x || (*link)->y != y)) link = &(*link)->next;
    cursor.link = link;
    cursor.found = *link;
    return cursor.found;
}

Node* NodeHashTable::removeFound(FindCursor& cursor) {
    Node* node = cursor.found;
    if (!node || cursor.table != this || !cursor.link || *cursor.link != node) return nullptr;
    *cursor.link = node->next;
    node->next = nullptr;
    cursor.found = nullptr;
    return node;
}

bool NodeHashTable::insert(Node* node) {
    if (!node) return false;
    Node** head = &buckets_[bucketOf(node->x, node->y)];
    for (Node* n = *head; n; n = n->next) {
        if (n == node) return false;
    }
    node->next = *head;
    *head = node;
    return true;
}

uint32_t NodeHashTable::count() const {
    uint32_t total = 0;
    const uint32_t buckets = bucketCount();
    for (uint32_t b = 0; b < buckets; ++b) {
        for (const Node* n = buckets_[b]; n; n = n->next) ++total;
    }
    return total;
}

void NodeHashTable::clear(NodeFactory& pool) {
    for (uint32_t b = bucketCount(); b > 0; --b) {
        for (Node* n = buckets_[b - 1]; n; n = n->next) pool.giveBack();
        buckets_[b - 1] = nullptr;
    }
}

}  // namespace vorlan::path
