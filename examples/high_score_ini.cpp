// Text input and a saved high score: type a name and press Enter; the best
// score so far is kept in "scores.ini" in the user's data folder
// (~/.local/share/example_high_score_ini/).
#include <vorlan/vorlan.h>

using namespace vorlan;

void vorlan::gameMain() {
    loadFont("", 0);  // no file: the built-in 8 x 8 font
    openIniFile(userDataFolder() + "scores.ini");
    RtString best = readIniValue("best", "name");
    double bestScore = best == "NO_DATA" ? 0 : textToNumber(readIniValue("best", "score"));
    RtString name;
    double score = randomUpTo(1000);
    for (;;) {
        RtString typed = readKeyChar();
        double code = characterCode(typed);
        if (code == 8 && textLength(name) > 0) {
            name = midText(name, 0, textLength(name) - 1);
        } else if (code == 10 && textLength(name) > 0) {
            if (score > bestScore) {
                writeIniValue("best", "name", name);
                writeIniValue("best", "score", numberToText(score));
                best = name;
                bestScore = score;
            }
            name = "";
            score = randomUpTo(1000);
        } else if (code >= 32 && textLength(name) < 16) {
            name += typed;
        }
        clearScreen();
        printText("Your score: " + numberToText(score), 8, 8);
        printText("Name: " + name + "_", 8, 24);
        if (bestScore > 0) printText("Best: " + best + " " + numberToText(bestScore), 8, 56);
        presentFrame();  // Escape quits; the INI file is saved at the end
    }
}
