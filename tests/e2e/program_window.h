// Real programs in the real X server: their windows, keys held for them and
// the pixels the server shows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "support/process_window.h"
#include "support/subprocess.h"
#include "support/temp_folder.h"

namespace vorlan::test {

// Held long enough for several frames to see them.
inline void holdKeys(const std::string& keys, int ms = 300) {
    runCommand("xdotool keydown " + keys + "; sleep " + std::to_string(ms / 1000.0) +
               "; xdotool keyup " + keys);
}

struct Colour {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Colour&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Colour& c) {
    return out << "rgb(" << c.red << "," << c.green << "," << c.blue << ")";
}

// 8-bit RGB rows, top row first; 0 x 0 when the window could not be read.
struct WindowPicture {
    int width = 0, height = 0;
    std::string pixels;
    Colour at(int x, int y) const {
        const char* p = pixels.data() + (static_cast<size_t>(y) * width + x) * 3;
        return {uint8_t(p[0]), uint8_t(p[1]), uint8_t(p[2])};
    }
};

inline WindowPicture readPpm(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    WindowPicture picture;
    in >> magic >> picture.width >> picture.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || picture.width <= 0 || picture.height <= 0) return {};
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    in.read(picture.pixels.data(), static_cast<std::streamsize>(picture.pixels.size()));
    return in ? picture : WindowPicture{};
}

inline WindowPicture captureWindow(const std::string& window,
                                   const std::filesystem::path& scratch) {
    runCommand("import -window " + window + " -depth 8 " + (scratch / "window.ppm").string());
    return readPpm(scratch / "window.ppm");
}

// A picture file as ImageMagick reads it, to hold against the screen.
inline WindowPicture pictureFile(const std::filesystem::path& file,
                                 const std::filesystem::path& scratch) {
    runCommand("convert " + file.string() + " -depth 8 " + (scratch / "picture.ppm").string());
    return readPpm(scratch / "picture.ppm");
}

// Mean absolute difference per colour channel; 255 when the sizes differ.
inline double meanDifference(const WindowPicture& a, const WindowPicture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 255;
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        sum += std::abs(uint8_t(a.pixels[i]) - uint8_t(b.pixels[i]));
    }
    return sum / static_cast<double>(a.pixels.size());
}

// One run of a program with its own temporary folder, and so its own log,
// its own file for the disk audio driver and, unless `env` names another,
// its own data folder: no run reads or writes the user's saves.
class ProgramRun {
  public:
    // `env` holds what env(1) takes before the program: -C DIR, then NAME=value.
    explicit ProgramRun(const std::filesystem::path& program, std::vector<std::string> args = {},
                        std::vector<std::string> env = {})
        : argv_{"env"} {
        argv_.insert(argv_.end(), env.begin(), env.end());
        if (std::none_of(env.begin(), env.end(),
                         [](const std::string& e) { return e.starts_with("XDG_DATA_HOME="); })) {
            argv_.push_back("XDG_DATA_HOME=" + temp_.path().string());
        }
        argv_.push_back("SDL_DISKAUDIOFILE=" + audioFile().string());
        argv_.push_back(program.string());
        argv_.insert(argv_.end(), args.begin(), args.end());
    }

    void launch() { process_ = std::make_unique<Subprocess>(argv_); }
    // Launches when not yet launched; true once start-up ended and the window shows.
    bool started() {
        if (!process_) launch();
        if (!process_->waitForLine("Init OK", 20000)) return false;
        window_ = processWindow(process_->pid());
        return !window_.empty();
    }
    void focus() { runCommand("xdotool windowfocus --sync " + window_ + "; sleep 0.2"); }
    WindowPicture capture() const { return captureWindow(window_, temp_.path()); }

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
