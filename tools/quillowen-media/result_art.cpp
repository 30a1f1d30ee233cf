#include <cmath>

#include "art.h"
#include "font.h"

namespace media {

namespace {

const Colour kInk = rgb(42, 26, 30);

void gradient(Canvas& c, Colour top, Colour bottom) {
    for (int y = 0; y < c.height(); ++y)
        c.fillRect(0, y, c.width(), 1, mix(top, bottom, y / 239.0));
}

// A row of hedge blocks along the bottom, as the field shows them.
void hedgeRow(Canvas& c, int baseline) {
    Canvas block = hedge();
    for (int i = 0; i < 6; ++i) c.paste(block, i * 64 - 32, baseline - 88);
    for (int i = 0; i < 5; ++i) c.paste(block, i * 64, baseline - 56);
}

void centredText(Canvas& c, const std::string& text, int y, int scale, Colour top, Colour bottom,
                 int border) {
    drawText(c, text, (320 - textWidth(text, scale)) / 2, y, scale, top, bottom, kInk, border);
}

}  // namespace

Canvas winPicture() {
    Canvas c(320, 240);
    gradient(c, rgb(120, 190, 250), rgb(250, 236, 190));
    c.fillEllipse(270, 48, 22, 22, rgb(255, 236, 140));
    c.fillRect(0, 200, 320, 40, rgb(128, 64, 0));
    hedgeRow(c, 240);
    // Confetti in the girl's colours.
    const Colour bits[] = {rgb(214, 92, 34), rgb(54, 150, 80), rgb(250, 240, 90),
                           rgb(246, 244, 236)};
    for (int i = 0; i < 70; ++i) {
        int x = int(noise(i, 1, 21) * 320), y = int(noise(i, 2, 21) * 150) + 50;
        c.fillRect(x, y, 3, 2, bits[i % 4]);
    }
    c.paste(figure(figureLook(0)).crop(0, 0, 32, 53).scaled(2), 128, 100);
    centredText(c, "FOUND HER!", 22, 4, rgb(255, 250, 210), rgb(255, 190, 60), 3);
    centredText(c, "Well spotted", 66, 2, rgb(255, 255, 255), rgb(214, 236, 255), 2);
    return c;
}

Canvas failPicture() {
    Canvas c(320, 240);
    gradient(c, rgb(52, 40, 96), rgb(230, 128, 92));
    for (int i = 0; i < 40; ++i) {
        c.set(int(noise(i, 1, 31) * 320), int(noise(i, 2, 31) * 90), rgb(255, 246, 220));
    }
    c.fillRect(0, 200, 320, 40, rgb(96, 48, 0));
    hedgeRow(c, 240);
    c.paste(snail().crop(0, 0, 40, 23).scaled(3), 100, 112);
    centredText(c, "OH NO!", 22, 4, rgb(255, 214, 190), rgb(236, 80, 60), 3);
    centredText(c, "She got away", 66, 2, rgb(255, 240, 230), rgb(250, 200, 190), 2);
    return c;
}

}  // namespace media
