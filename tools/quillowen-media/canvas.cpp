#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace media {

Colour rgb(int r, int g, int b) {
    auto clamp = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    return {clamp(r), clamp(g), clamp(b), 255};
}

Colour shade(Colour c, double f) {
    if (f <= 1) return rgb(int(c.r * f), int(c.g * f), int(c.b * f));
    double t = std::min(f - 1, 1.0);
    return mix(c, rgb(255, 255, 255), t);
}

Colour mix(Colour a, Colour b, double t) {
    auto lerp = [t](int p, int q) { return int(std::lround(p + (q - p) * t)); };
    return rgb(lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b));
}

double noise(int x, int y, int salt) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 static_cast<uint32_t>(salt) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffffff) / double(0x1000000);
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(width * height, Colour{0, 0, 0, 0}) {}

void Canvas::set(int x, int y, Colour c) {
    if (inside(x, y)) pixels_[y * width_ + x] = c;
}

void Canvas::fillRect(int x, int y, int w, int h, Colour c) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) set(i, j, c);
    }
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, Colour c) {
    for (int y = int(cy - ry) - 1; y <= int(cy + ry) + 1; ++y) {
        for (int x = int(cx - rx) - 1; x <= int(cx + rx) + 1; ++x) {
            double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
            if (u * u + v * v <= 1) set(x, y, c);
        }
    }
}

void Canvas::fillPolygon(const std::vector<std::pair<double, double>>& points, Colour c) {
    for (int y = 0; y < height_; ++y) {
        double py = y + 0.5;
        for (int x = 0; x < width_; ++x) {
            double px = x + 0.5;
            bool in = false;
            for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                auto [xi, yi] = points[i];
                auto [xj, yj] = points[j];
                if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
            }
            if (in) set(x, y, c);
        }
    }
}

void Canvas::line(double x0, double y0, double x1, double y1, Colour c) {
    int steps = int(std::max(std::abs(x1 - x0), std::abs(y1 - y0))) + 1;
    for (int i = 0; i <= steps; ++i) {
        double t = double(i) / steps;
        set(int(std::floor(x0 + (x1 - x0) * t)), int(std::floor(y0 + (y1 - y0) * t)), c);
    }
}

void Canvas::outline(Colour c) {
    std::vector<Colour> out = pixels_;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (opaque(x, y)) continue;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy) {
                for (int dx = -1; dx <= 1 && !near; ++dx) near = opaque(x + dx, y + dy);
            }
            if (near) out[y * width_ + x] = c;
        }
    }
    pixels_ = out;
}

void Canvas::rimShade(int dx, int dy, double factor) {
    std::vector<Colour> out = pixels_;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            if (opaque(x, y) && !opaque(x + dx, y + dy)) {
                out[y * width_ + x] = shade(at(x, y), factor);
            }
        }
    }
    pixels_ = out;
}

void Canvas::paste(const Canvas& src, int x, int y) {
    for (int j = 0; j < src.height(); ++j) {
        for (int i = 0; i < src.width(); ++i) {
            if (src.at(i, j).a) set(x + i, y + j, src.at(i, j));
        }
    }
}

Canvas Canvas::crop(int x, int y, int w, int h) const {
    Canvas out(w, h);
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            if (inside(x + i, y + j)) out.set(i, j, at(x + i, y + j));
        }
    }
    return out;
}

Canvas Canvas::scaled(int factor) const {
    Canvas out(width_ * factor, height_ * factor);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) out.set(x, y, at(x / factor, y / factor));
    }
    return out;
}

}  // namespace media
