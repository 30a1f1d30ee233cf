#include <vorlan/files.h>
#include <vorlan/fonts.h>
#include <vorlan/sprites.h>

#include <cmath>

#include "game/round.h"
#include "game/score.h"

namespace quillowen {

Score score;

namespace {

constexpr const char* kSection = "score";
constexpr const char* kBestRunKey = "bestRun";

// The game's INI file in the player's data folder; empty when there is no
// such folder, for a game installed read-only must not write beside itself.
vorlan::RtString scoreFile() {
    vorlan::RtString folder = vorlan::userDataFolder();
    if (folder.length() == 0) return {};
    folder += "quillowen.ini";
    return folder;
}

// The HUD's texts, made when the score changes rather than every frame.
vorlan::RtString foundText, bestText;

void scoreChanged() {
    foundText = "FOUND ";
    foundText += vorlan::numberToText(score.found);
    foundText += "/";
    foundText += vorlan::numberToText(score.rounds);
    bestText = "BEST RUN ";
    bestText += vorlan::numberToText(score.bestRun);
    trace("score %.0f/%.0f run %.0f best %.0f", score.found, score.rounds, score.run,
          score.bestRun);
}

// Each change is written at once: the game ends only by being quit or
// killed, and a run lost with it would not come back.
void saveBestRun() {
    vorlan::RtString file = scoreFile();
    if (file.length() == 0) return;
    vorlan::openIniFile(file);
    vorlan::writeIniValue(kSection, kBestRunKey, vorlan::numberToText(score.bestRun));
    vorlan::openIniFile("");
}

}  // namespace

void loadBestRun() {
    vorlan::RtString file = scoreFile();
    if (file.length() != 0) {
        vorlan::openIniFile(file);
        double best = vorlan::textToNumber(vorlan::readIniValue(kSection, kBestRunKey));
        vorlan::openIniFile("");
        // A hand-edited file may hold anything.
        if (std::isfinite(best) && best >= 0 && best < 1e9) score.bestRun = std::floor(best);
    }
    scoreChanged();
}

void countRound(double result) {
    score.rounds += 1;
    if (result != 0) {
        score.found += 1;
        score.run += 1;
    } else {
        score.run = 0;
    }
    if (score.run > score.bestRun) {
        score.bestRun = score.run;
        saveBestRun();
    }
    scoreChanged();
}

void drawScore() {
    vorlan::fillRect(65, 18, 254, 12, 0);
    vorlan::printText(foundText, 69, 20);
    vorlan::printText(bestText, 315 - vorlan::textWidth(bestText), 20);
}

}  // namespace quillowen
