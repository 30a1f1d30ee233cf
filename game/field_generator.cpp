#include <vorlan/value.h>

#include <cmath>

#include "game/field.h"

namespace quillowen {

using vorlan::dimensionSize;
using vorlan::elementAt;
using vorlan::randomUpTo;

double FIELD_SIZE = 50;

namespace {

double wrap(double d) {
    if (d > 3) return d - 4;
    if (d < 0) return d + 4;
    return d;
}

bool isHedge(const RtNumberArray& field, double x, double y) {
    return elementAt(field, x, y) == CELL_HEDGE;
}

class MazeBuilder {
  public:
    MazeBuilder(RtNumberArray& field, double wallParam)
        : field_(field),
          W_(dimensionSize(field, 0) - 1),
          H_(dimensionSize(field, 1) - 1),
          step_(wallParam + 1) {
        // Four elements stay in the array's own storage: no allocation.
        vorlan::fillArray(dx_, {1, 0, -1, 0});
        vorlan::fillArray(dy_, {0, 1, 0, -1});
    }

    void build() {
        drawBorder();
        addSideStubs();
        addBottomStubs();
        walkSpiral();
    }

  private:
    double dx(double d) const { return elementAt(dx_, d); }
    double dy(double d) const { return elementAt(dy_, d); }
    void plant(double x, double y) { elementAt(field_, x, y) = CELL_HEDGE; }

    void drawBorder() {
        for (double i = 0; i <= W_; ++i) {
            plant(i, 0);
            plant(i, H_);
        }
        for (double j = 0; j <= H_; ++j) {
            plant(0, j);
            plant(W_, j);
        }
    }

    // Short hedges into the field from the left and right borders.
    void addSideStubs() {
        for (double k = 1; k <= H_ / 6; ++k) {
            double a = 2 * randomUpTo((H_ - 6) * 0.5);
            double b = 2 * randomUpTo(2);
            for (double i = 1; i <= b; ++i) plant(i, a);
            double c = 2 * randomUpTo((H_ - 6) * 0.5);
            double e = W_ - 2 * randomUpTo(2);
            for (double i = W_; i >= e; --i) plant(i, c);
        }
    }

    // Two-cell hedges up from the bottom border.
    void addBottomStubs() {
        for (double k = 1; k <= W_ / 6; ++k) {
            double a = 2 * randomUpTo((W_ - 4) * 0.5);
            plant(a, H_ - 1);
            plant(a, H_ - 2);
        }
    }

    // Visits the posts ring by ring inwards and grows walls from each hedge
    // post it lands on.
    void walkSpiral() {
        double px = 0, py = 0, dir = 0, run = 0, lenX = W_, lenY = H_;
        for (;;) {
            px += step_ * dx(dir);
            py += step_ * dy(dir);
            run += step_;
            if (run >= lenX - step_ && (dir == 0 || dir == 2)) {
                lenX -= step_;
                run = 0;
                dir = wrap(dir + 1);
            }
            if (run >= lenY - step_ && (dir == 1 || dir == 3)) {
                lenY -= step_;
                run = 0;
                dir = wrap(dir + 1);
            }
            if (lenX <= 0 || lenY <= 0) return;
            if (!isHedge(field_, px, py)) continue;
            if (px >= W_ - 1 && py >= H_ - 1) continue;
            if (px >= W_ || py >= H_) return;
            growWalls(px, py);
        }
    }

    void growWalls(double ox, double oy) {
        double r = randomUpTo(3);
        for (;;) {
            bool any = false;
            for (double t = 0; t <= 3 && !any; ++t) any = fits(ox, oy, t);
            if (!any) return;
            r = wrap(r + 1 - randomUpTo(2));
            if (!fits(ox, oy, r)) continue;
            for (double c = 1; c <= step_; ++c) {
                ox += dx(r);
                oy += dy(r);
                plant(ox, oy);
            }
        }
    }

    // A wall in direction t, and one cell beyond its end, touches no hedge.
    bool fits(double ox, double oy, double t) const {
        double left = wrap(t + 1), right = wrap(t - 1);
        for (double s = 1; s <= step_ + 1; ++s) {
            double cx = ox + s * dx(t), cy = oy + s * dy(t);
            if (!(cx > 0 && cx <= W_ && cy > 0 && cy <= H_)) return false;
            if (isHedge(field_, cx, cy)) return false;
            if (isHedge(field_, cx + dx(left), cy + dy(left))) return false;
            if (isHedge(field_, cx + dx(right), cy + dy(right))) return false;
        }
        return true;
    }

    RtNumberArray& field_;
    const double W_, H_, step_;
    RtNumberArray dx_, dy_;
};

bool accepts(const RtNumberArray& field, double wallParam) {
    if (field.dimensionCount() != 2 || field.dim1() < 5 || field.dim2() < 5) return false;
    // A shorter step never lets the spiral end or walks it off the field.
    return std::isfinite(wallParam) && wallParam >= 1;
}

}  // namespace

double generateField(RtNumberArray& field, double wallParam) {
    if (!accepts(field, wallParam)) return -1;
    MazeBuilder(field, wallParam).build();
    return 0;
}

void buildCostGrid(const RtNumberArray& field, RtNumberArray& grid) {
    vorlan::assignArray(grid, field);
    double* cell = grid.data();
    for (int32_t i = 0, n = grid.elementCount(); i < n; ++i) {
        cell[i] = cell[i] == CELL_HEDGE ? 0 : 1;
    }
}

}  // namespace quillowen
