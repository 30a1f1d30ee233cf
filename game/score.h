// The player's score: rounds found out of rounds played, and the best run
// of rounds found in a row, which outlives the game in the player's data
// folder.
#pragma once

namespace quillowen {

struct Score {
    double found = 0, rounds = 0;
    double run = 0;      // rounds found in a row up to now
    double bestRun = 0;  // the longest run of any game
};

extern Score score;

// Reads the best run kept by earlier games; 0 when there is none.
void loadBestRun();
// Counts a round's result (1 found, 0 failed) and keeps a new best run.
void countRound(double result);
// The score under the progress bar, in the frame drawHud draws.
void drawScore();

}  // namespace quillowen
