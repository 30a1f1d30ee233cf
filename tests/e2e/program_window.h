// Real programs in the real X server: their windows, keys held for them and
// the pixels the server shows.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>

#include "platform/clock.h"
#include "support/eventually.h"
#include "support/picture.h"
#include "support/process_window.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan::test {

// Held long enough for several frames to see them.
inline void holdKeys(const std::string& keys) {
    runCommand("xdotool keydown " + keys + " sleep 0.3 keyup " + keys);
}

// One run of a program in a folder of its own, and so with its own log, its
// own file for the disk audio driver and, unless `env` names another, its own
// data folder. `env` is what env(1) takes: -C DIR, then NAME=value. `alone`:
// a copy of the program runs from the folder, no media beside it.
class ProgramRun {
  public:
    explicit ProgramRun(std::filesystem::path program, std::vector<std::string> args = {},
                        std::vector<std::string> env = {}, bool alone = false) {
        if (alone) std::filesystem::copy_file(program, temp_.file(program.filename()));
        if (alone) program = temp_.file(program.filename());
        if (std::ranges::none_of(env, [](auto& e) { return e.starts_with("XDG_DATA_HOME="); })) {
            env.push_back("XDG_DATA_HOME=" + temp_.path().string());
        }
        argv_ = {"env"};
        argv_.insert(argv_.end(), env.begin(), env.end());
        argv_.push_back("SDL_DISKAUDIOFILE=" + audioFile().string());
        argv_.push_back(program.string());
        argv_.insert(argv_.end(), args.begin(), args.end());
    }

    void launch() { process_ = std::make_unique<Subprocess>(argv_); }
    // Launches when not yet launched; true once start-up ended and the window shows.
    bool started() {
        if (!process_) launch();
        if (!process_->waitForLine("Init OK", 60000)) return false;
        window_ = processWindow(process_->pid(), 60);
        return !window_.empty();
    }
    void focus() { runCommand("timeout 30 xdotool windowfocus --sync " + window_); }
    Picture capture() const { return loadPicture("x:" + window_); }
    // Escape held until the program ends: a busy machine may stall a frame long.
    std::optional<int> quitWithEscape() {
        runCommand("xdotool keydown Escape");
        std::optional<int> status = process_->waitForExit(60000);
        runCommand("xdotool keyup Escape");
        return status;
    }

    std::string log() const { return readWholeFile(temp_.file("ErrorLog.txt")); }
    std::filesystem::path audioFile() const { return temp_.file("audio.raw"); }
    const std::string& window() const { return window_; }
    Subprocess& process() { return *process_; }
    const TempFolder& temp() const { return temp_; }

  private:
    TempFolder temp_;
    std::vector<std::string> argv_;
    std::unique_ptr<Subprocess> process_;
    std::string window_;
};

}  // namespace vorlan::test
