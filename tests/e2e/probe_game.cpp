// A small game for driving the runtime from outside. Its command line says
// what to do:
//   debug      run in debug mode (end report in the log)
//   noesc      Escape does not quit
//   index10    read index 10 of a 10-element array after 10 frames
//   early      load a sprite from configureRuntime, before start-up
//   load:KIND:FILE:N  load FILE as a sprite, font, background or sound
//              into slot N (music and video play it), before the frames
//   ret        return from gameMain after 10 frames
//   where      print the working directory and elapsedMs at the start
//   draws      print the first three draws of the random generator, then end
//   still      present no frame for 4 s, so the start-up screen stays shown
//   open, save after 5 frames show the open or the save dialog, print
//              "file <result>" and the working directory before and after
//   line       edit a line that starts as "x" at (10, 10), print "line <text>"
//   lines      edit empty lines one after another, print "line <text>" for each
//   taps       stall 100 ms in every frame and print "key <code> <keyDown> <keyHit>"
//              for every key either reports; F12 ends this and starts "lines"
//              at 10 frames a second
//   size=WxH   a surface of W x H; scale=N the window scale setting; full
//              start in fullscreen
//   pattern    draw a pattern of single pixels once, keep it as the
//              background, save the screen as shot.bmp and print
//              "pattern <sum of getPixel over the screen>"
//   mouse      print "mouse X Y" whenever the pointer's position changes
// It prints "frame N" every 30 frames, and after a dialog or a line it prints
// "after N" every 20 frames and ends after 60.
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
    return std::filesystem::current_path().string();
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
        if (kind == "music") vorlan::playMusic(name);
        if (kind == "video") vorlan::playVideo(name);
    }
}

void drawPattern() {
    double width = 0, height = 0;
    vorlan::getScreenSize(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) vorlan::plotPoint(x, y, vorlan::test::patternColour(x, y));
    }
    vorlan::grabBackground();
    vorlan::saveScreen("shot.bmp");
    double sum = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) sum += vorlan::getPixel(x, y);
    }
    char line[64];
    std::snprintf(line, sizeof line, "pattern %.0f", sum);
    say(line);
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
        std::this_thread::sleep_for(std::chrono::seconds(4));
    }
    if (hasWord("where"))
        say("cwd " + workingFolder() + "\nelapsed " + std::to_string(elapsedMs()));
    if (hasWord("draws")) {
        double first = randomUpTo(1e9), second = randomUpTo(1e9), third = randomUpTo(1e9);
        char line[64];
        std::snprintf(line, sizeof line, "draws %.0f %.0f %.0f", first, second, third);
        say(line);
        return;
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
    }
    if (hasWord("lines") || hasWord("taps")) {
        say("editing");
        for (;;) {
            RtString text;
            inputLine(text, 10, 10);
            say(std::string("line ") + text.cStr());
        }
    }
    if (hasWord("open") || hasWord("save") || hasWord("line")) {
        for (int frame = 0; frame < 5; ++frame) presentFrame();
        RtString text = "x";
        say("cwd " + workingFolder());
        if (hasWord("line")) {
            say("editing");
            inputLine(text, 10, 10);
            say(std::string("line ") + text.cStr());
        } else {
            text = fileRequester(hasWord("open") ? 1 : 0, "Text files|*.txt|All files|*.*");
            say(std::string("file ") + text.cStr());
        }
        say("cwd " + workingFolder());
        for (int frame = 1; frame <= 60; ++frame) {
            if (frame % 20 == 0) say("after " + std::to_string(frame));
            presentFrame();
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
        if (frame == 10 && hasWord("ret")) return;
        presentFrame();
    }
}
