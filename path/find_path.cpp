#include <vorlan/path.h>

#include "path/planner.h"

namespace vorlan {

double findPath(const RtNumberArray& grid, RtNumberArray& path, double weight, double startX,
                double startY, double goalX, double goalY) {
    path::AStarPlanner planner;
    if (!planner.init(path::findPathParams(grid.dim1(), grid.dim2(), grid.data(), weight, startX,
                                           startY, goalX, goalY))) {
        return 0.0;
    }
    if (!planner.search()) {
        // Reached nothing: the goal is cut off.
        dimensionArray(path, 0, 0, 0, 0);
        return 0.0;
    }
    // The route from the goal back to the start, filling n - 1 down to 0.
    const uint32_t n = planner.pathLength();
    dimensionArray(path, double(n), 2, 0, 0);
    int32_t i = static_cast<int32_t>(n);
    planner.walkBackFromGoal([&](int32_t x, int32_t y) {
        --i;
        elementAt(path, i, 0, 0, 0) = double(x);
        elementAt(path, i, 1, 0, 0) = double(y);
    });
    return double(path.dim1());
}

}  // namespace vorlan
