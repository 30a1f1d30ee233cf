#include "path/planner.h"

#include <cfloat>
#include <cstdlib>
#include <new>

namespace vorlan::path {

namespace {

// Truncation toward zero; NaN and numbers beyond the 32-bit range give
// INT32_MIN, which lies outside every grid (as x86's own conversion does).
int32_t truncateCoordinate(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// A grid cost as a 32-bit float. Magnitudes beyond the float range (which
// a plain conversion leaves undefined) become the largest finite float, so
// that the normalised map keeps every passable cost in (1, 2].
float costToFloat(double value) {
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}

}  // namespace

float clampWeight(double weight) {
    if (weight >= 1.0) return 1.0f;
    if (!(weight >= 0.0)) return 0.0f;
    return static_cast<float>(weight);
}

PlannerParams findPathParams(int32_t width, int32_t height, const double* costs, double weight,
                             double startX, double startY, double goalX, double goalY) {
    PlannerParams params{};
    params.startX = truncateCoordinate(startX);
    params.startY = truncateCoordinate(startY);
    params.goalX = truncateCoordinate(goalX);
    params.goalY = truncateCoordinate(goalY);
    params.weight = clampWeight(weight);
    params.width = width;
    params.height = height;
    params.costs = costs;
    return params;
}

AStarPlanner::~AStarPlanner() {
    release();
}

void AStarPlanner::release() {
    ::operator delete(block_, std::nothrow);
    block_ = nullptr;
    cells_ = nullptr;
    heap_ = nullptr;
    ready_ = false;
    found_ = false;
}

bool AStarPlanner::init(const PlannerParams& params) {
    if (params.width <= 0 || params.height <= 0) return false;
    if (params.startX < 0 || params.startX >= params.width || params.goalX < 0 ||
        params.goalX >= params.width || params.startY < 0 || params.startY >= params.height ||
        params.goalY < 0 || params.goalY >= params.height) {
        return false;
    }
    if (params.startX == params.goalX && params.startY == params.goalY) return false;
    const uint64_t cellCount = uint64_t(params.width) * uint64_t(params.height);
    if (cellCount > UINT32_MAX || !params.costs) return false;

    release();
    // Every cell is in the open heap at most once, so the heap never holds
    // more entries than there are cells: one block serves the whole search.
    const size_t n = size_t(cellCount);
    block_ = ::operator new(n*(sizeof(Cell) + sizeof(OpenEntry)), std::nothrow);
    if (!block_) return false;
    cells_ = static_cast<Cell*>(block_);
    heap_ = reinterpret_cast<OpenEntry*>(cells_ + n);

    float largest = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const float c = costToFloat(params.costs[i]);
        cells_[i].cost = c > 0.0f ? c : -1.0f;
        cells_[i].heapPosition = kUnseen;
        if (c > largest) largest = c;
    }
    if (!(largest > 0.0f)) {
        release();
        return false;
    }
    // Passable cells cost more than 1 and at most 2 (exactly 1 only for a
    // cost below 2^-24 of the largest, where the float sum rounds).
    for (size_t i = 0; i < n; ++i) {
        if (cells_[i].cost > 0.0f) cells_[i].cost = cells_[i].cost / largest + 1.0f;
    }
    params_ = params;
    params_.weight = clampWeight(params.weight);
    weight_ = params_.weight;
    ready_ = true;
    return true;
}

void AStarPlanner::siftUp(uint32_t position, OpenEntry entry) {
    while (position > 0 && comesBefore(entry, heap_[(position - 1) / 2])) {
        place(position, heap_[(position - 1) / 2]);
        position = (position - 1) / 2;
    }
    place(position, entry);
}

void AStarPlanner::siftDown(uint32_t position, OpenEntry entry) {
    for (uint32_t child; (child = 2 * position + 1) < heapSize_; position = child) {
        if (child + 1 < heapSize_ && comesBefore(heap_[child + 1], heap_[child])) ++child;
        if (!comesBefore(heap_[child], entry)) break;
        place(position, heap_[child]);
    }
    place(position, entry);
}

void AStarPlanner::push(uint32_t cell, float f) {
    siftUp(heapSize_++, OpenEntry{nextOrder_++, f, cell});
}

void AStarPlanner::relax(uint32_t from, uint32_t to, int32_t x, int32_t y) {
    Cell& next = cells_[to];
    if (next.cost == -1.0f) return;
    const float g = static_cast<float>(double{cells_[from].g} + double{next.cost});
    if (next.heapPosition != kUnseen && !(g < next.g)) return;
    const double h =
        double(std::llabs(int64_t(params_.goalX) - x) + std::llabs(int64_t(params_.goalY) - y));
    const float f = static_cast<float>((h - double{g}) * weight_ + double{g});
    next.g = g;
    next.parent = from;
    if (next.heapPosition == kUnseen || next.heapPosition == kClosed) {
        push(to, f);
        return;
    }
    // An improved open node counts as newly inserted: with weight 1 its f
    // stays and it moves behind its equals, otherwise it moves up.
    const uint32_t position = next.heapPosition;
    const OpenEntry entry{nextOrder_++, f, to};
    siftUp(position, entry);
    if (cells_[to].heapPosition == position) siftDown(position, entry);
}

bool AStarPlanner::search() {
    found_ = false;
    if (!ready_) return false;
    const uint32_t width = uint32_t(params_.width);
    const uint32_t height = uint32_t(params_.height);
    const uint32_t goal = goalCell();
    // A blocked goal is never entered; no need to flood the grid first.
    if (cells_[goal].cost == -1.0f) return false;
    const uint32_t start = uint32_t(params_.startY) * width + uint32_t(params_.startX);
    heapSize_ = 0;
    nextOrder_ = 0;
    cells_[start].g = 0.0f;
    cells_[start].parent = kNone;
    push(start, 0.0f);
    while (heapSize_ > 0) {
        const uint32_t current = heap_[0].cell;
        cells_[current].heapPosition = kClosed;
        if (--heapSize_ > 0) siftDown(0, heap_[heapSize_]);
        if (current == goal) {
            found_ = true;
            return true;
        }
        const int32_t x = int32_t(current % width);
        const int32_t y = int32_t(current / width);
        if (y > 0) relax(current, current - width, x, y - 1);
        if (uint32_t(x) + 1 < width) relax(current, current + 1, x + 1, y);
        if (x > 0) relax(current, current - 1, x - 1, y);
        if (uint32_t(y) + 1 < height) relax(current, current + width, x, y + 1);
    }
    return false;
}

uint32_t AStarPlanner::pathLength() const {
    uint32_t length = 0;
    walkBackFromGoal([&](int32_t, int32_t) { ++length; });
    return length;
}

}  // namespace vorlan::path
