// The A* planner behind findPath.
//
// Internal to the path subsystem: games use findPath from <vorlan/path.h>.
// Calling order: init, search, read the route. init takes all memory in one
// block; search never allocates.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorlan::path {

struct PlannerParams {
    int32_t startX = 0;
    int32_t startY = 0;
    int32_t goalX = 0;
    int32_t goalY = 0;
    // Heuristic weight, held in [0, 1] by init.
    float weight = 0.0f;
    int32_t width = 0;
    int32_t height = 0;
    // width * height costs, x fastest; greater than 0 is passable.
    const double* costs = nullptr;
};

// Weight clamped to [0, 1]: 1 or more gives 1, below 0 gives 0. NaN, which
// is otherwise undefined, gives 0.
float clampWeight(double weight);

// The parameter block that findPath builds from its arguments: coordinates
// truncated toward zero (NaN and numbers beyond the 32-bit range become
// INT32_MIN, outside every grid) and the weight clamped.
PlannerParams findPathParams(int32_t width, int32_t height, const double* costs, double weight,
                             double startX, double startY, double goalX, double goalY);

// A weighted best-first search over the 4-connected grid. Neighbours go
// N, E, W, S; g and f are rounded to float; f = (h - g) * weight + g with h
// the Manhattan distance; among equal f the node inserted first (an
// improved or reopened node counts as newly inserted) is expanded first; a
// closed node is reopened only on a strictly smaller g.
class AStarPlanner {
  public:
    AStarPlanner() = default;
    ~AStarPlanner();
    AStarPlanner(const AStarPlanner&) = delete;
    AStarPlanner& operator=(const AStarPlanner&) = delete;

    // Validates the block, takes the memory and builds the normalised cost
    // map (-1 blocked, else in (1, 2]). False when start or goal lies outside
    // the grid, start equals goal, width * height does not fit 32 bits,
    // costs is null, no cell has a positive cost or the memory is not there.
    bool init(const PlannerParams& params);
    // Runs the search; true when the goal was reached.
    bool search();

    // Cells on the route, start and goal included; 0 without a route.
    uint32_t pathLength() const;
    // Calls visit(x, y) for each cell of the route, from the goal back to
    // the start.
    template <typename Visit>
    void walkBackFromGoal(Visit visit) const {
        if (!found_) return;
        for (uint32_t cell = goalCell(); cell != kNone; cell = cells_[cell].parent) {
            visit(int32_t(cell % uint32_t(params_.width)), int32_t(cell / uint32_t(params_.width)));
        }
    }

  private:
    static constexpr uint32_t kNone = UINT32_MAX;
    static constexpr uint32_t kUnseen = UINT32_MAX;  // heap position of a cell never reached
    static constexpr uint32_t kClosed = UINT32_MAX - 1;

    struct Cell {
        float cost;
        float g;
        uint32_t parent;
        uint32_t heapPosition;  // or kUnseen, kClosed
    };
    // Ordered by f, then by insertion number; the number is 64 bits wide so
    // that it never wraps, however often nodes are improved.
    struct OpenEntry {
        uint64_t order;
        float f;
        uint32_t cell;
    };

    static bool comesBefore(const OpenEntry& a, const OpenEntry& b) {
        return a.f < b.f || (a.f == b.f && a.order < b.order);
    }
    void place(uint32_t position, const OpenEntry& entry) {
        heap_[position] = entry;
        cells_[entry.cell].heapPosition = position;
    }
    uint32_t goalCell() const {
        return uint32_t(params_.goalY) * uint32_t(params_.width) + uint32_t(params_.goalX);
    }
    // Inlined into the search loop, which is where the time goes.
    [[gnu::always_inline]] inline void relax(uint32_t from, uint32_t to, int32_t x, int32_t y);
    [[gnu::always_inline]] inline void push(uint32_t cell, float f);
    [[gnu::always_inline]] inline void siftUp(uint32_t position, OpenEntry entry);
    [[gnu::always_inline]] inline void siftDown(uint32_t position, OpenEntry entry);
    void release();

    PlannerParams params_{};
    void* block_ = nullptr;
    Cell* cells_ = nullptr;
    OpenEntry* heap_ = nullptr;
    uint32_t heapSize_ = 0;
    uint64_t nextOrder_ = 0;
    double weight_ = 0.0;
    bool ready_ = false;
    bool found_ = false;
};

}  // namespace vorlan::path
