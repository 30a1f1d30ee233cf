// A small game driven from outside; the words of its command line say what
// to do. At start-up: debug (debug mode), early (load a sprite from
// configureRuntime), full, size=WxH, scale=N. Then: noesc (Escape does not
// quit); load:KIND:FILE:N (load FILE as a sprite, font, background or sound
// into slot N); still (present nothing for 30 s); where (print "cwd" and
// elapsedMs); draws (print three random draws and end); taps (stall 100 ms a
// frame and print "key CODE DOWN HITS" for each key reported, until F12,
// then edit lines at 10 frames a second, printing "line TEXT" for each);
// dialogs (steps 0 to 3: a line edit starting as "x", then an open, a save
// and an open dialog, each after 5 frames and "step N", printing the result,
// "cwd" before and after, "after N" 20 frames later, then 20 more); pattern
// (draw a pattern of single pixels, save it as shot.bmp and print "pattern
// <sum of getPixel>"); mouse (print "mouse X Y" whenever the pointer moves);
// index10 (read past a 10-element array after 10 frames). It prints "frame N"
// every 30 frames.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>

#include <vorlan/vorlan.h>

#include "probe_pattern.h"

namespace {

bool hasWord(const char* word) {
    return std::strstr(vorlan::commandLine().cStr(), word);
}

void say(const std::string& line) {
    std::puts(line.c_str());
    std::fflush(stdout);
}

std::string workingFolder() {
    return "cwd " + std::filesystem::current_path().string();
}

void loadNamedFiles() {
    std::istringstream words(vorlan::commandLine().cStr());
    for (std::string word; words >> word;) {
        if (word.rfind("load:", 0) != 0) continue;
        std::istringstream parts(word.substr(5));
        std::string kind, file, slot;
        std::getline(parts, kind, ':');
        std::getline(parts, file, ':');
        std::getline(parts, slot, ':');
        double n = slot.empty() ? 0 : std::stod(slot);
        vorlan::RtString name = file.c_str();
        if (kind == "sprite") vorlan::loadSprite(name, n);
        if (kind == "font") vorlan::loadFont(name, n);
        if (kind == "background") vorlan::loadBackground(name);
        if (kind == "sound") vorlan::loadSound(name, n, 1);
    }
}

void drawPattern() {
    double width = 0, height = 0, sum = 0;
    vorlan::getScreenSize(width, height);
    for (int i = 0; i < width * height; ++i) {
        vorlan::plotPoint(i % int(width), i / int(width),
                          vorlan::test::patternColour(i % int(width), i / int(width)));
    }
    vorlan::grabBackground();
    vorlan::saveScreen("shot.bmp");
    for (int i = 0; i < width * height; ++i)
        sum += vorlan::getPixel(i % int(width), i / int(width));
    say("pattern " + std::to_string(int64_t(sum)));
}

void sayMouse() {
    static double lastX = -1, lastY = -1;
    double x = 0, y = 0, left = 0, right = 0;
    vorlan::readMouse(x, y, left, right);
    if (x == lastX && y == lastY) return;
    lastX = x;
    lastY = y;
    say("mouse " + std::to_string(int(x)) + " " + std::to_string(int(y)));
}

}  // namespace

void vorlan::configureRuntime(RuntimeSettings& settings) {
    if (hasWord("debug")) settings.debugMode = 1;
    if (hasWord("early")) loadSprite("early.png", 1);
    if (hasWord("full")) settings.fullScreen = 1;
    if (const char* size = std::strstr(commandLine().cStr(), "size=")) {
        std::sscanf(size, "size=%dx%d", &settings.screenWidth, &settings.screenHeight);
    }
    if (const char* scale = std::strstr(commandLine().cStr(), "scale=")) {
        std::sscanf(scale, "scale=%d", &settings.scale);
    }
}

void vorlan::gameMain() {
    if (hasWord("noesc")) setEscQuits(0);
    loadNamedFiles();
    if (hasWord("still")) {
        say("still");
        std::this_thread::sleep_for(std::chrono::seconds(30));
    }
    if (hasWord("where")) say(workingFolder() + "\nelapsed " + std::to_string(elapsedMs()));
    if (hasWord("draws")) {
        std::string line = "draws";
        for (int i = 0; i < 3; ++i) line += " " + std::to_string(int64_t(randomUpTo(1e9)));
        return say(line);
    }
    if (hasWord("taps")) {
        say("tapping");
        for (bool done = false; !done;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            for (int code = 1; code < 256; ++code) {
                double down = keyDown(code), hits = keyHit(code);
                if (down == 0 && hits == 0) continue;
                say("key " + std::to_string(code) + " " + std::to_string(int(down)) + " " +
                    std::to_string(int(hits)));
                done = done || code == kKeyF12;
            }
            presentFrame();
        }
        setFrameLimit(10);
        for (say("editing");;) {
            RtString text;
            inputLine(text, 10, 10);
            say(std::string("line ") + text.cStr());
        }
    }
    if (hasWord("dialogs")) {
        for (int step = 0; step < 4; ++step) {
            for (int frame = 0; frame < 5; ++frame) presentFrame();
            RtString text = "x";
            say(workingFolder() + "\nstep " + std::to_string(step));
            if (step == 0) {
                inputLine(text, 10, 10);
                say(std::string("line ") + text.cStr());
            } else {
                text = fileRequester(step == 2 ? 0 : 1, "Text files|*.txt|All files|*.*");
                say(std::string("file ") + text.cStr());
            }
            say(workingFolder());
            for (int frame = 1; frame <= 40; ++frame) {
                if (frame == 20) say("after " + std::to_string(step));
                presentFrame();
            }
        }
        return;
    }
    if (hasWord("pattern")) drawPattern();
    for (long frame = 1;; ++frame) {
        if (frame % 30 == 0) say("frame " + std::to_string(frame));
        if (hasWord("mouse")) sayMouse();
        if (frame == 10 && hasWord("index10")) {
            RtNumberArray ten;
            dimensionArray(ten, 10);
            say("read " + std::to_string(elementAt(ten, 10)));
        }
        presentFrame();
    }
}
