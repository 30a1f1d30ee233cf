// A small game driven from outside: each word of its command line turns on
// one of the behaviours below; size=WxH, scale=N and load:KIND:FILE:SLOT
// carry values. The tests wait for the lines it prints.
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
        char kind[16] = "", file[512] = "";
        double n = 0;
        if (std::sscanf(word.c_str(), "load:%15[^:]:%511[^:]:%lf", kind, file, &n) < 2) continue;
        const std::string_view k = kind;
        if (k == "sprite") vorlan::loadSprite(file, n);
        if (k == "font") vorlan::loadFont(file, n);
        if (k == "background") vorlan::loadBackground(file);
        if (k == "sound") vorlan::loadSound(file, n, 1);
    }
}

// On the default 320 x 240 screen.
void drawPattern() {
    for (int i = 0; i < 320 * 240; ++i)
        vorlan::plotPoint(i % 320, i / 320, vorlan::test::patternColour(i % 320, i / 320));
    vorlan::grabBackground();
    vorlan::saveScreen("shot.bmp");
    double sum = 0;
    for (int i = 0; i < 320 * 240; ++i) sum += vorlan::getPixel(i % 320, i / 320);
    say("pattern " + std::to_string(int64_t(sum)));
}

void sayMouse() {
    static std::string last;
    double x = 0, y = 0, left = 0, right = 0;
    vorlan::readMouse(x, y, left, right);
    const std::string line = "mouse " + std::to_string(int(x)) + " " + std::to_string(int(y));
    if (line != last) say(last = line);
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
                if (down != 0) say("down " + std::to_string(code));
                for (int hit = 0; hit < hits; ++hit) say("hit " + std::to_string(code));
                done = done || (code == kKeyF12 && down + hits > 0);
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
