// Quillowen. Until the game itself lands this only keeps the window alive.
#include <vorlan/vorlan.h>

void vorlan::gameMain() {
    for (;;) presentFrame();
}
