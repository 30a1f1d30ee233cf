// One round of Quillowen: the maze, the hidden figure, the decoys, the
// snail's route, and the frame loop in which the player searches.
#pragma once

#include <vorlan/rt_array.h>

namespace quillowen {

using vorlan::RtNumberArray;

struct Round {
    RtNumberArray field;  // cell codes, [x][y]
    RtNumberArray route;  // [n][2]: the snail's cells from (1, 1) to the figure
    double figureX = 0, figureY = 0;
    double scrollX = 0, scrollY = 0;  // view offset in pixels
    double stepIndex = 0;             // route rows the snail has left behind
    double nextStepTime = 0;          // elapsedMs of the snail's next step
};

// The game's events on standard output, one flushed line each, when
// QUILLOWEN_TRACE=1: scripted runs follow a game through them.
bool tracing();
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Number of rows of the route.
double routeLength(const Round& round);

// Builds the maze, hides the figure on a free cell other than the snail's
// start, plans the snail's route to her and scatters decoys. False when no
// route of at least two cells turned up in a bounded number of draws.
bool setUpRound(Round& round);

// Plays one round: 1 when the figure was found, 0 when it failed.
double runRound();

// Draws one frame of the round: the ground, the field and the HUD.
void drawRoundFrame(const Round& round);

// 1 when the topmost picture under the middle of the screen is the figure.
double figureAtCentre(const RtNumberArray& field, double scrollX, double scrollY);

// Screen position of the top-left corner of a width x height picture
// standing on cell (x, y): the middle of its bottom edge on the cell's
// anchor.
double cellLeft(double x, double y, double width, double scrollX);
double cellTop(double x, double y, double height, double scrollY);

// The volume keys, once a frame: each press of Page Up or Page Down
// changes soundVolume by a tenth, shows it and holds the game while the key
// stays down, drawing each frame with drawFrame; the text then stays on the
// frames for a second. True when it presented frames itself.
using FrameDrawer = void (*)(const Round&);
bool adjustVolume(const Round& round, FrameDrawer drawFrame);

// The volume the player sets, 0 to 1, shown as "VOL: " and a percentage.
extern double soundVolume;
// soundVolume as the runtime's volume for playSound: 2 dB less for each
// tenth below full, so that every step sounds as much quieter as the last;
// 0 is silence.
double playVolume();

}  // namespace quillowen
