// quillowen-media: paints and synthesises every picture and sound the game
// loads and writes them into the folder given on the command line. The
// output depends on nothing but this program, so every build gets the same
// files.
#include <cstdio>
#include <string>

#include "art.h"
#include "font.h"
#include "sounds.h"
#include "writers.h"

namespace {

// The sprite loader keys out this colour; a painted pixel must never hit it.
media::Canvas clearOfKeyColour(media::Canvas c) {
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            media::Colour p = c.at(x, y);
            if (p.a && p.r == 255 && p.g == 0 && p.b == 128) c.set(x, y, media::rgb(254, 0, 128));
        }
    }
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillowen-media OUTPUT-FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool ok = true;
    auto png = [&](const char* name, const media::Canvas& c) {
        ok = media::writePng(folder + name, clearOfKeyColour(c)) && ok;
    };
    png("bush.png", media::hedge());
    png("snail.png", media::snail());
    for (int i = 0; i <= 6; ++i) {
        png(("find" + std::to_string(i) + ".png").c_str(), media::figure(media::figureLook(i)));
    }
    png("finder.png", media::crossHair());
    png("pixel.png", media::probe());
    png("snail-mini.png", media::snailMarker());
    png("brinna-mini.png", media::portrait());
    png("win.png", media::winPicture());
    png("failed.png", media::failPicture());
    png("quillowen-icon.png", media::icon());
    ok = media::writeBmp24(folder + "smalfont.bmp", media::fontPicture()) && ok;
    ok = media::writeWav(folder + "fail.wav", media::failSound(), media::kSampleRate) && ok;
    ok = media::writeWav(folder + "win.wav", media::winSound(), media::kSampleRate) && ok;
    ok =
        media::writeWav(folder + "wenvoke.wav", media::roundStartSound(), media::kSampleRate) && ok;
    if (!ok) std::fprintf(stderr, "quillowen-media: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
