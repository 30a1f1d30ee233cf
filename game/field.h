// Quillowen's field: cell codes, the maze generator and the cost grid.
#pragma once

#include <vorlan/rt_array.h>

namespace quillowen {

using vorlan::RtNumberArray;

// A cell's code is also the sprite slot it is drawn with.
inline constexpr double CELL_EMPTY = 0;
inline constexpr double CELL_HEDGE = 1;
inline constexpr double CELL_SNAIL = 9;
inline constexpr double CELL_FIGURE = 10;
// Decoys are 11 to 17; 17 has no picture.
inline constexpr double CELL_FIRST_DECOY = 11;
inline constexpr double CELL_LAST_DECOY = 17;

// Side of the square field in cells.
extern double FIELD_SIZE;

// Turns an empty two-dimensional field into a maze of hedges (writes only
// CELL_HEDGE) with walls wallParam + 1 cells long. Gives 0 when it built a
// maze, -1 when it refused: a field below 5 x 5 or not two-dimensional, or a
// wallParam below 1 or not finite. A refused field is left as it was.
double generateField(RtNumberArray& field, double wallParam);

// grid becomes 0 where field holds a hedge and 1 everywhere else.
void buildCostGrid(const RtNumberArray& field, RtNumberArray& grid);

}  // namespace quillowen
