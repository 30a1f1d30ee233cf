// FixedDeque<T>: the planner's open list, a ring buffer of fixed capacity
// with a spare array of the same capacity for insertion and removal in the
// middle.
//
// Every refusal (full, empty, index beyond the size, capacity 0) returns
// false and leaves the deque unchanged. Nothing allocates except the
// constructor and reserve.
#pragma once

#include <cstdint>
#include <new>
#include <utility>

namespace vorlan::path {

template <typename T>
class FixedDeque {
  public:
    explicit FixedDeque(uint32_t capacity = 0) { allocate(capacity); }
    virtual ~FixedDeque() { release(); }
    FixedDeque(const FixedDeque&) = delete;
    FixedDeque& operator=(const FixedDeque&) = delete;

    // Drops both arrays and takes the new capacity, empty. False (and
    // capacity 0) when the arrays cannot be allocated.
    bool reserve(uint32_t capacity) {
        release();
        return allocate(capacity);
    }

    uint32_t capacity() const { return capacity_; }
    bool empty() const { return empty_; }
    bool full() const { return !empty_ && head_ == tail_; }
    uint32_t size() const {
        if (empty_) return 0;
        if (tail_ > head_) return tail_ - head_;
        return capacity_ - head_ + tail_;
    }

    // The back element. The deque must not be empty.
    T& back() { return buffer_[tail_ == 0 ? capacity_ - 1 : tail_ - 1]; }
    // The element i places behind the front, at (head + i) mod capacity.
    // i must lie below the size.
    T& at(uint32_t i) { return buffer_[position(i)]; }

    bool push_back(const T& value) {
        if (capacity_ == 0 || full()) return false;
        buffer_[tail_] = value;
        tail_ = tail_ + 1 == capacity_ ? 0 : tail_ + 1;
        empty_ = false;
        return true;
    }

    bool push_front(const T& value) {
        if (capacity_ == 0 || full()) return false;
        head_ = head_ == 0 ? capacity_ - 1 : head_ - 1;
        buffer_[head_] = value;
        empty_ = false;
        return true;
    }

    bool pop_back() {
        if (empty_) return false;
        tail_ = tail_ == 0 ? capacity_ - 1 : tail_ - 1;
        empty_ = head_ == tail_;
        return true;
    }

    bool pop_front() {
        if (empty_) return false;
        head_ = head_ + 1 == capacity_ ? 0 : head_ + 1;
        empty_ = head_ == tail_;
        return true;
    }

    // Inserts value so that it becomes element i. At the back and at the
    // front this is a push; in the middle the contents are rebuilt in the
    // spare array from position 0 and the arrays swapped. An index beyond
    // the size is refused first: the position test alone would take
    // index capacity on an empty deque as a push.
    bool insert(uint32_t i, const T& value) {
        const uint32_t count = size();
        if (capacity_ == 0 || i > count) return false;
        const uint32_t pos = position(i);
        if (pos == tail_) return push_back(value);
        if (pos == head_) return push_front(value);
        if (full()) return false;
        uint32_t from = head_;
        uint32_t to = 0;
        for (uint32_t k = 0; k < i; ++k) {
            spare_[to++] = buffer_[from];
            from = from + 1 == capacity_ ? 0 : from + 1;
        }
        spare_[to++] = value;
        for (uint32_t k = i; k < count; ++k) {
            spare_[to++] = buffer_[from];
            from = from + 1 == capacity_ ? 0 : from + 1;
        }
        std::swap(buffer_, spare_);
        head_ = 0;
        tail_ = count + 1 == capacity_ ? 0 : count + 1;
        empty_ = false;
        return true;
    }

    // Removes element i. The last element and the first are pops; one in
    // the middle is removed by rebuilding the contents in the spare array.
    bool erase(uint32_t i) {
        if (empty_) return false;
        const uint32_t count = size();
        if (i == count - 1) return pop_back();
        if (i == 0) return pop_front();
        if (i >= count) return false;
        uint32_t from = head_;
        uint32_t to = 0;
        for (uint32_t k = 0; k < count; ++k) {
            if (k != i) spare_[to++] = buffer_[from];
            from = from + 1 == capacity_ ? 0 : from + 1;
        }
        std::swap(buffer_, spare_);
        head_ = 0;
        tail_ = count - 1;
        return true;
    }

    void clear() {
        head_ = 0;
        tail_ = 0;
        empty_ = true;
    }

    // Ring positions, for tests.
    uint32_t headPosition() const { return head_; }
    uint32_t tailPosition() const { return tail_; }

  private:
    // (head + i) mod capacity, without overflow for any capacity.
    uint32_t position(uint32_t i) const {
        const uint64_t pos = uint64_t{head_} + i;
        return static_cast<uint32_t>(pos < capacity_ ? pos : pos % capacity_);
    }

    bool allocate(uint32_t capacity) {
        head_ = 0;
        tail_ = 0;
        empty_ = true;
        capacity_ = 0;
        if (capacity == 0) return true;
        buffer_ = new (std::nothrow) T[capacity];
        spare_ = buffer_ ? new (std::nothrow) T[capacity] : nullptr;
        if (!spare_) {
            delete[] buffer_;
            buffer_ = nullptr;
            return false;
        }
        capacity_ = capacity;
        return true;
    }

    void release() {
        delete[] buffer_;
        delete[] spare_;
        buffer_ = nullptr;
        spare_ = nullptr;
        capacity_ = 0;
        clear();
    }

    T* buffer_ = nullptr;
    T* spare_ = nullptr;
    uint32_t capacity_ = 0;
    uint32_t head_ = 0;
    uint32_t tail_ = 0;
    bool empty_ = true;
};

}  // namespace vorlan::path
