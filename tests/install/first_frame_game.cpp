// A game built outside the tree against an installed runtime: a known
// background and a known box, so its first frame can be checked on screen.
#include <vorlan/vorlan.h>

void vorlan::configureRuntime(RuntimeSettings& settings) {
    settings.title = "First Frame";
    settings.screenWidth = 320;
    settings.screenHeight = 240;
}

void vorlan::gameMain() {
    for (;;) {
        fillRect(0, 0, 320, 240, 0x603010);   // background: red 16, green 48, blue 96
        fillRect(100, 80, 40, 30, 0x10C0F0);  // box: red 240, green 192, blue 16
        presentFrame();
    }
}
