// Path finding: plans a route across a rectangular grid of movement costs.
#pragma once

#include <vorlan/rt_array.h>

namespace vorlan {

// Plans a route from (startX, startY) to (goalX, goalY) over `grid`, a
// two-dimensional array of costs: dim1 is the width, dim2 the height, and
// element (x, y) is the cost of stepping onto cell (x, y). A cost above 0
// makes a cell passable, 0 or less blocks it; the start cell's own cost is
// never read. Steps go north, east, west or south, never diagonally.
//
// Coordinates are truncated toward zero. The weight is clamped to [0, 1]:
// 0 orders the search by cost so far alone, 1 by distance to the goal
// alone, 0.5 ranks as A* does (g + h) and finds a cheapest route.
//
// On success `path` is dimensioned [n][2] with element (i, 0) the x and
// (i, 1) the y of the i-th cell, from the start (0) to the goal (n - 1),
// and n is returned. When the goal cannot be reached (a blocked goal cell
// included), `path` is emptied and 0 is returned. When the input is
// refused (start or goal outside the grid, start equal to goal, no cell of
// positive cost, a grid too large to plan on) 0 is returned and `path` is
// left untouched. `grid` and `path` may be the same array.
double findPath(const RtNumberArray& grid, RtNumberArray& path, double weight, double startX,
                double startY, double goalX, double goalY);

}  // namespace vorlan
