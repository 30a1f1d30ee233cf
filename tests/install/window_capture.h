// A window's pixels as the X server shows them, read with ImageMagick's
// import, for tests that check what a real program put on the screen.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace vorlan::test {

struct Rgb {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& colour);

struct WindowPicture {
    int width = 0, height = 0;
    std::string pixels;  // 8-bit RGB rows, top to bottom
    Rgb at(int x, int y) const;
};

// Empty (0 x 0) when the window cannot be read.
WindowPicture captureWindow(const std::string& window, const std::filesystem::path& scratch);
// Mean absolute difference per colour channel; 255 when the sizes differ.
double meanDifference(const WindowPicture& a, const WindowPicture& b);

}  // namespace vorlan::test
