#include <vorlan/app.h>
#include <vorlan/sprites.h>

#include "game/media.h"

namespace quillowen {

namespace {

struct Picture {
    const char* file;
    double slot;
};

const Picture kPictures[] = {
    {"bush.png", 1},          {"snail.png", 9},    {"find0.png", 10},  {"find1.png", 11},
    {"find2.png", 12},        {"find3.png", 13},   {"find4.png", 14},  {"find5.png", 15},
    {"find6.png", 16},        {"finder.png", 100}, {"pixel.png", 101}, {"snail-mini.png", 200},
    {"brinna-mini.png", 201},
};

}  // namespace

void logNotLoaded(const char* file) {
    vorlan::RtString line = "cannot load ";
    line += file;
    vorlan::appendErrorLog(line);
}

void loadPictures() {
    for (const Picture& p : kPictures) vorlan::loadSprite(p.file, p.slot);
    for (const Picture& p : kPictures) {
        double width = 0, height = 0;
        vorlan::getSpriteSize(p.slot, width, height);
        if (width == 0) logNotLoaded(p.file);
    }
}

}  // namespace quillowen
