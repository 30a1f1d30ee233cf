#include <vorlan/path.h>

#include "path/planner.h"

namespace vorlan {

using path::AStarPlanner;
using path::findPathParams;
using path::Node;
using path::PlannerParams;

double findPath(const RtNumberArray& grid, RtNumberArray& path, double weight, double startX,
                double startY, double goalX, double goalY) {
    // Grid shape, costs and coordinates as the planner takes them.
    const PlannerParams params =
        findPathParams(grid.dim1(), grid.dim2(), grid.data(), weight, startX, startY, goalX, goalY);
    AStarPlanner planner;
    if (!planner.init(params)) return 0.0;
    planner.start();
    if (!planner.search()) {
        planner.clear();
        return 0.0;
    }
    // Reached nothing: the goal is cut off.
    const uint32_t n = planner.pathLength();
    if (n == 0) {
        dimensionArray(path, 0, 0, 0, 0);
        return 0.0;
    }
    // The route from the goal back to the start, filling n - 1 down to 0.
    dimensionArray(path, double(n), 2, 0, 0);
    int32_t i = static_cast<int32_t>(n);
    for (const Node* node = planner.pathHead(); node; node = node->parent) {
        --i;
        elementAt(path, i, 0, 0, 0) = double(node->x);
        elementAt(path, i, 1, 0, 0) = double(node->y);
    }
    planner.clear();
    return double(path.dim1());
}

}  // namespace vorlan
