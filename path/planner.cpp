#include "path/planner.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace vorlan::path {

static_assert(std::bit_cast<uint32_t>(kDiagonalFactor) == 0x3FB504F4u);

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
    params.diagonalCostSqrt2 = true;
    params.allowDiagonal = false;
    params.nodeCapacity = 0;
    params.openCapacity = 0;
    params.hashBits = 8;
    params.weight = clampWeight(weight);
    params.width = width;
    params.height = height;
    params.costs = costs;
    return params;
}

// --- Planner --------------------------------------------------------------

Planner::~Planner() {
    releaseState();
}

void Planner::releaseState() {
    clearSteps();
    delete[] costMap_;
    costMap_ = nullptr;
    ready_ = false;
}

bool Planner::init(const PlannerParams& params) {
    // Refusals that change nothing.
    if (params.width <= 0 || params.height <= 0) return false;
    if (params.startX < 0 || params.startX >= params.width || params.goalX < 0 ||
        params.goalX >= params.width || params.startY < 0 || params.startY >= params.height ||
        params.goalY < 0 || params.goalY >= params.height) {
        return false;
    }
    if (params.startX == params.goalX && params.startY == params.goalY) return false;
    const uint64_t cells = uint64_t(params.width) * uint64_t(params.height);
    if (cells > UINT32_MAX) return false;
    if (!params.costs) return false;

    // Drop what an earlier init left (and any nodes still out).
    releaseState();
    params_ = PlannerParams{};

    costMap_ = new (std::nothrow) float[cells];
    if (!costMap_) return false;

    // The cost map in storage order: positive costs kept, the rest blocked.
    float largest = 0.0f;
    for (uint64_t i = 0; i < cells; ++i) {
        const float c = costToFloat(params.costs[i]);
        if (c > 0.0f) {
            costMap_[i] = c;
            if (c > largest) largest = c;
        } else {
            costMap_[i] = -1.0f;
        }
    }
    if (!(largest > 0.0f)) return false;

    // Normalised: passable cells cost more than 1 and at most 2 (exactly 1 only
    // for a cost below 2^-24 of the largest, where the float sum rounds).
    for (uint64_t i = 0; i < cells; ++i) {
        if (costMap_[i] > 0.0f) costMap_[i] = costMap_[i] / largest + 1.0f;
    }

    // The bulk arrays first, so that a grid too large to hold fails
    // before the pool allocates its nodes one by one.
    const uint32_t cellCount = static_cast<uint32_t>(cells);
    const uint32_t openCapacity = params.openCapacity ? params.openCapacity : cellCount;
    const uint32_t nodeCapacity = params.nodeCapacity ? params.nodeCapacity : cellCount;
    if (!open_.reserve(openCapacity) || !closed_.init(params.hashBits) ||
        !pool_.init(nodeCapacity)) {
        releaseState();
        return false;
    }

    params_ = params;
    params_.weight = clampWeight(params.weight);
    pathHead_ = nullptr;
    searchDone_ = true;
    ready_ = true;
    return true;
}

void Planner::start() {
    // The calling order puts clear between two searches; a second start
    // without it would otherwise search on from the last one's lists.
    clearSteps();
    searchDone_ = false;
    pathHead_ = nullptr;
}

void Planner::clearSteps() {
    const uint32_t count = open_.size();
    for (uint32_t i = 0; i < count; ++i) {
        if (open_.at(i)) pool_.giveBack();
    }
    open_.clear();
    closed_.clear(pool_);
    pathHead_ = nullptr;
    searchDone_ = true;
}

void Planner::clear() {
    clearSteps();
}

float Planner::pathCost() const {
    return pathHead_ ? pathHead_->g : -1.0f;
}

uint32_t Planner::pathLength() const {
    uint32_t length = 0;
    for (const Node* n = pathHead_; n; n = n->parent) ++length;
    return length;
}

// --- AStarPlanner ---------------------------------------------------------

AStarPlanner::~AStarPlanner() = default;

void AStarPlanner::start() {
    Planner::start();
    if (!ready_) return;
    Node* node = pool_.acquire();
    if (!node) return;
    node->parent = nullptr;
    node->x = params_.startX;
    node->y = params_.startY;
    node->f = 0.0f;
    node->g = 0.0f;
    node->next = nullptr;
    if (!open_.push_back(node)) pool_.giveBack();  // the only node taken
}

bool AStarPlanner::insertSorted(Node* node) {
    uint32_t lo = 0;
    uint32_t hi = open_.size();
    while (lo < hi) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (open_.at(mid)->f > node->f) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    return open_.insert(lo, node);
}

int64_t AStarPlanner::findOpen(int32_t x, int32_t y) {
    for (uint32_t i = open_.size(); i > 0; --i) {
        const Node* n = open_.at(i - 1);
        if (n->x == x && n->y == y) return i - 1;
    }
    return -1;
}

bool AStarPlanner::stopEarly(Node* current) {
    // The current node lies in neither container; put it with the expanded
    // ones so that clear gives it back with the rest.
    closed_.insert(current);
    pathHead_ = nullptr;
    searchDone_ = true;
    return false;
}

bool AStarPlanner::search() {
    // No search in progress (start not called since the last one ended) or
    // nothing to search: nothing to do, and a found path stays.
    if (searchDone_ || !ready_) {
        searchDone_ = true;
        return true;
    }
    // Neighbour order NW, N, NE, E, W, SW, S, SE (N is y - 1, W is x - 1).
    static constexpr int32_t kDx[8] = {-1, 0, 1, 1, -1, -1, 0, 1};
    static constexpr int32_t kDy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
    static constexpr bool kDiagonal[8] = {true, false, true, false, false, true, false, true};

    const double d = params_.diagonalCostSqrt2 ? double{kDiagonalFactor} : 1.0;
    const double w = params_.weight;
    const int32_t width = params_.width;
    const int32_t height = params_.height;
    const int64_t goalX = params_.goalX;
    const int64_t goalY = params_.goalY;

    for (;;) {
        if (open_.empty()) {
            searchDone_ = true;
            return true;
        }
        Node* current = open_.back();
        open_.pop_back();
        if (current->x == goalX && current->y == goalY) {
            closed_.insert(current);
            searchDone_ = true;
            pathHead_ = current;
            return true;
        }
        for (int k = 0; k < 8; ++k) {
            if (kDiagonal[k] && !params_.allowDiagonal) continue;
            // current lies inside the grid, so neither sum overflows.
            const int32_t nx = current->x + kDx[k];
            const int32_t ny = current->y + kDy[k];
            if (nx < 0 || nx >= width || ny < 0 || ny >= height) continue;
            const float c = costMap_[std::size_t(ny) * std::size_t(width) + std::size_t(nx)];
            if (c == -1.0f) continue;
            const double step = kDiagonal[k] ? double{c} * d : double{c};
            const float g = static_cast<float>(double{current->g} + step);
            const double h = double(std::llabs(goalX - nx) + std::llabs(goalY - ny));
            const float f = static_cast<float>((h - double{g}) * w + double{g});

            FindCursor cursor;
            if (Node* closedNode = closed_.find(cursor, nx, ny)) {
                if (g < closedNode->g) {
                    if (open_.size() == open_.capacity()) return stopEarly(current);
                    closed_.removeFound(cursor);
                    closedNode->parent = current;
                    closedNode->g = g;
                    closedNode->f = f;
                    insertSorted(closedNode);
                }
                continue;
            }
            const int64_t index = findOpen(nx, ny);
            if (index >= 0) {
                Node* openNode = open_.at(static_cast<uint32_t>(index));
                if (g < openNode->g) {
                    // Erasing frees a place, so the insertion cannot fail.
                    open_.erase(static_cast<uint32_t>(index));
                    openNode->parent = current;
                    openNode->g = g;
                    openNode->f = f;
                    insertSorted(openNode);
                }
                continue;
            }
            if (open_.size() == open_.capacity()) return stopEarly(current);
            Node* fresh = pool_.acquire();
            if (!fresh) return stopEarly(current);
            fresh->x = nx;
            fresh->y = ny;
            fresh->parent = current;
            fresh->g = g;
            fresh->f = f;
            fresh->next = nullptr;
            insertSorted(fresh);
        }
        closed_.insert(current);
    }
}

}  // namespace vorlan::path
