#include "window_capture.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <ostream>

#include "support/subprocess.h"

namespace vorlan::test {

std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "rgb(" << colour.red << "," << colour.green << "," << colour.blue << ")";
}

Rgb WindowPicture::at(int x, int y) const {
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    auto byte = [&](size_t k) { return static_cast<int>(static_cast<uint8_t>(pixels[k])); };
    return {byte(i), byte(i + 1), byte(i + 2)};
}

WindowPicture captureWindow(const std::string& window, const std::filesystem::path& scratch) {
    std::filesystem::path file = scratch / "window.ppm";
    runCommand("import -window " + window + " -depth 8 " + file.string());
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    WindowPicture picture;
    in >> magic >> picture.width >> picture.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || picture.width <= 0 || picture.height <= 0) return {};
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 3);
    in.read(picture.pixels.data(), static_cast<std::streamsize>(picture.pixels.size()));
    if (!in) return {};
    return picture;
}

double meanDifference(const WindowPicture& a, const WindowPicture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 255;
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        sum += std::abs(static_cast<uint8_t>(a.pixels[i]) - static_cast<uint8_t>(b.pixels[i]));
    }
    return sum / static_cast<double>(a.pixels.size());
}

}  // namespace vorlan::test
