// A small RGBA raster for painting the game's pictures: shapes with hard
// edges, shading helpers and an outline pass.
#pragma once

#include <cstdint>
#include <vector>

namespace media {

struct Colour {
    uint8_t r = 0, g = 0, b = 0, a = 255;
};

Colour rgb(int r, int g, int b);
// Scales the colour towards black (f < 1) or white (f > 1).
Colour shade(Colour c, double f);
Colour mix(Colour a, Colour b, double t);

// A repeatable pseudo-random value in [0, 1) for a position and a salt, so
// that every run paints the same pixels.
double noise(int x, int y, int salt);

class Canvas {
  public:
    Canvas(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<Colour>& pixels() const { return pixels_; }

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Colour at(int x, int y) const { return pixels_[y * width_ + x]; }
    bool opaque(int x, int y) const { return inside(x, y) && at(x, y).a != 0; }
    void set(int x, int y, Colour c);

    void fillRect(int x, int y, int w, int h, Colour c);
    // Pixel centres inside the ellipse.
    void fillEllipse(double cx, double cy, double rx, double ry, Colour c);
    // Pixel centres inside the convex or concave polygon (even-odd rule).
    void fillPolygon(const std::vector<std::pair<double, double>>& points, Colour c);
    void line(double x0, double y0, double x1, double y1, Colour c);

    // Every transparent pixel next to an opaque one (8 neighbours) becomes c.
    void outline(Colour c);
    // Darkens opaque pixels whose neighbour in direction (dx, dy) is
    // transparent: a rim of shade on the side turned from the light.
    void rimShade(int dx, int dy, double factor);
    // Copies the opaque pixels of src with its top-left corner at (x, y).
    void paste(const Canvas& src, int x, int y);
    // The w x h piece whose top-left corner is (x, y).
    Canvas crop(int x, int y, int w, int h) const;
    // A copy scaled by a whole factor, pixel for pixel.
    Canvas scaled(int factor) const;

  private:
    int width_, height_;
    std::vector<Colour> pixels_;
};

}  // namespace media
