// The planner interface and the A* planner behind findPath.
//
// Internal to the path subsystem: games use findPath from <vorlan/path.h>.
// Calling order: construct, init, start, search, read the path, clear,
// destroy. All memory is taken in init; start and search never allocate.
#pragma once

#include <cstdint>

#include "path/fixed_deque.h"
#include "path/node.h"

namespace vorlan::path {

// The parameter block of Planner::init. A value-initialised block is all
// zeros; findPathParams fills it as findPath does.
struct PlannerParams {
    int32_t startX = 0;
    int32_t startY = 0;
    int32_t goalX = 0;
    int32_t goalY = 0;
    // A diagonal step costs the cell cost times 1.4142137, else times 1.
    bool diagonalCostSqrt2 = false;
    // The four diagonal neighbours are expanded.
    bool allowDiagonal = false;
    // Size of the node pool; 0 means width * height.
    uint32_t nodeCapacity = 0;
    // Capacity of the open list; 0 means width * height.
    uint32_t openCapacity = 0;
    // log2 of the closed table's bucket count (init rounds it).
    uint32_t hashBits = 0;
    // Heuristic weight, held in [0, 1] by init.
    float weight = 0.0f;
    int32_t width = 0;
    int32_t height = 0;
    // width * height costs, x fastest; greater than 0 is passable.
    const double* costs = nullptr;
};

// The diagonal step factor: the float one unit in the last place above the
// float nearest the square root of 2 (bits 0x3FB504F4).
inline constexpr float kDiagonalFactor = 1.4142137f;

// Weight clamped to [0, 1]: 1 or more gives 1, below 0 gives 0. NaN, which
// is otherwise undefined, gives 0.
float clampWeight(double weight);

// The parameter block that findPath builds from its arguments: coordinates
// truncated toward zero (NaN and numbers beyond the 32-bit range become
// INT32_MIN, outside every grid), the weight clamped, 4-connected, pool and
// open list sized to the grid, 8 hash bits.
PlannerParams findPathParams(int32_t width, int32_t height, const double* costs, double weight,
                             double startX, double startY, double goalX, double goalY);

class Planner {
  public:
    Planner() = default;
    virtual ~Planner();
    Planner(const Planner&) = delete;
    Planner& operator=(const Planner&) = delete;

    // Validates the block, builds the normalised cost map and sizes the pool,
    // the open list and the closed table. False, with nothing changed, when
    // start or goal lies outside the grid, start equals goal, width * height
    // does not fit 32 bits or costs is null; false after dropping the old
    // state when no cell has a positive cost or an allocation fails.
    bool init(const PlannerParams& params);
    // Begins a search: searchDone false, no path. Nodes that a search
    // before left out (no clear in between) are given back first.
    virtual void start();
    // Runs the search that start began to its end. True when it ran to its
    // end (route found or proved absent); false when it had to stop early
    // (pool or open list too small for the grid), with no route. Without a
    // search in progress it does nothing and returns true.
    virtual bool search() = 0;
    // Gives every node back to the pool and forgets the path.
    virtual void clear();

    // g of the path's goal node, or -1 when there is no path.
    float pathCost() const;
    // Nodes from the goal along the parent links; 0 without a path.
    uint32_t pathLength() const;
    uint32_t openCount() const { return open_.size(); }
    uint32_t closedCount() const { return closed_.count(); }

    bool searchDone() const { return searchDone_; }
    // The goal node of the found path, or none; parents lead to the start.
    const Node* pathHead() const { return pathHead_; }
    const PlannerParams& params() const { return params_; }
    // The normalised costs (-1 blocked, else in (1, 2]); null before init.
    const float* costMap() const { return costMap_; }
    const NodeFactory& nodePool() const { return pool_; }

  protected:
    void clearSteps();
    void releaseState();

    bool searchDone_ = true;
    NodeFactory pool_;
    PlannerParams params_{};
    float* costMap_ = nullptr;
    FixedDeque<Node*> open_;
    NodeHashTable closed_;
    Node* pathHead_ = nullptr;
    // Set by a successful init; start and search do nothing without it.
    bool ready_ = false;
};

class AStarPlanner : public Planner {
  public:
    AStarPlanner() = default;
    ~AStarPlanner() override;

    // Base start, then the start node at the back of the open list.
    void start() override;
    // The weighted best-first search. True when it ran to its
    // end; false when the pool ran dry or the open list was full, in which
    // case the search stops with no route and every node it took lies in the
    // open list or the closed table, so clear still returns them all.
    bool search() override;

  private:
    // Inserts node at its sorted place: descending f from front to back, in
    // front of every element whose f is less than or equal to its own.
    bool insertSorted(Node* node);
    // Index of the open node of cell (x, y), scanning from the back; -1.
    int64_t findOpen(int32_t x, int32_t y);
    bool stopEarly(Node* current);
};

}  // namespace vorlan::path
