// A small game for driving the file requester and text entry from
// outside. Its command line says what to do:
//   open, save   after 5 frames show the open or the save dialog, print
//                "file <result>" and the working directory before and
//                after, then run 60 more frames and end
//   line         edit a line that starts as "x" at (10, 10), then print
//                "line <text>" and go on as above
// It prints "after N" every 20 frames after the dialog, so a driver sees
// the game go on.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <vorlan/vorlan.h>

namespace {

bool hasWord(const char* word) {
    return std::strstr(vorlan::commandLine().cStr(), word);
}

void say(const std::string& line) {
    std::puts(line.c_str());
    std::fflush(stdout);
}

}  // namespace

void vorlan::gameMain() {
    for (int frame = 0; frame < 5; ++frame) presentFrame();
    if (hasWord("open") || hasWord("save")) {
        say("cwd " + std::filesystem::current_path().string());
        RtString file = fileRequester(hasWord("open") ? 1 : 0, "Text files|*.txt|All files|*.*");
        say(std::string("file ") + file.cStr());
        say("cwd " + std::filesystem::current_path().string());
    }
    if (hasWord("line")) {
        RtString text = "x";
        say("editing");
        inputLine(text, 10, 10);
        say(std::string("line ") + text.cStr());
    }
    for (int frame = 1; frame <= 60; ++frame) {
        if (frame % 20 == 0) say("after " + std::to_string(frame));
        presentFrame();
    }
}
