#include <array>
#include <cmath>
#include <utility>

#include "art.h"

namespace media {

namespace {

const Colour kSkin = rgb(250, 204, 166);
const Colour kInk = rgb(42, 26, 30);

// Leafy texture: clusters lit from the upper left.
void leaves(Canvas& c, const Canvas& mask, Colour base, int salt, int count) {
    for (int i = 0; i < count; ++i) {
        double x = noise(i, 1, salt) * c.width(), y = noise(i, 2, salt) * c.height();
        if (!mask.opaque(int(x), int(y))) continue;
        double r = 1.6 + noise(i, 3, salt) * 1.8;
        Canvas blob(c.width(), c.height());
        blob.fillEllipse(x + 0.7, y + 0.9, r, r * 0.85, shade(base, 0.62));
        blob.fillEllipse(x, y, r, r * 0.85, shade(base, 0.95 + noise(i, 4, salt) * 0.2));
        blob.fillEllipse(x - r * 0.35, y - r * 0.4, r * 0.4, r * 0.35, shade(base, 1.25));
        for (int py = 0; py < c.height(); ++py) {
            for (int px = 0; px < c.width(); ++px) {
                if (blob.opaque(px, py) && mask.opaque(px, py)) c.set(px, py, blob.at(px, py));
            }
        }
    }
}

}  // namespace

Canvas hedge() {
    Canvas c(64, 88);
    const Colour top = rgb(84, 160, 64), left = rgb(56, 118, 46), right = rgb(38, 88, 38);
    Canvas topFace(64, 88), leftFace(64, 88), rightFace(64, 88);
    topFace.fillPolygon({{32, -0.5}, {64.5, 32}, {32, 64.5}, {-0.5, 32}}, top);
    leftFace.fillPolygon({{-0.5, 31.5}, {32, 64}, {32, 88}, {-0.5, 56}}, left);
    rightFace.fillPolygon({{32, 64}, {64.5, 31.5}, {64.5, 56}, {32, 88}}, right);
    c.paste(leftFace, 0, 0);
    c.paste(rightFace, 0, 0);
    leaves(c, leftFace, left, 3, 160);
    leaves(c, rightFace, right, 4, 160);
    c.paste(topFace, 0, 0);
    leaves(c, topFace, top, 5, 420);
    // A few berries catch the eye on the top.
    for (int i = 0; i < 5; ++i) {
        double x = 14 + noise(i, 7, 9) * 36, y = 18 + noise(i, 8, 9) * 28;
        if (std::abs(x - 32) + std::abs(y - 32) > 26) continue;
        c.fillEllipse(x, y, 1.3, 1.3, rgb(200, 40, 50));
        c.set(int(x) - 1, int(y) - 1, rgb(255, 170, 170));
    }
    // The top's front edges catch the light; the silhouette gets a dark rim.
    for (int x = 0; x < 64; ++x) {
        int y = x < 32 ? 32 + x : 95 - x;
        if (c.opaque(x, y)) c.set(x, y, shade(top, 1.3));
    }
    for (auto [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 1}}) c.rimShade(dx, dy, 0.45);
    return c;
}

Canvas snail() {
    Canvas c(40, 58);
    const Colour foot = rgb(206, 214, 150);
    c.fillEllipse(21, 18.5, 17.5, 3.2, foot);
    c.fillEllipse(6, 14, 4.2, 5.5, foot);
    c.line(4, 10, 2, 3, foot);
    c.line(8, 10, 9, 3, foot);
    c.fillEllipse(2.5, 3, 1.8, 1.8, rgb(250, 250, 240));
    c.fillEllipse(9.5, 3, 1.8, 1.8, rgb(250, 250, 240));
    c.set(2, 3, kInk);
    c.set(9, 3, kInk);
    c.set(4, 16, kInk);
    // The shell: a spiral band on an orange dome.
    const Colour shell = rgb(196, 110, 48);
    c.fillEllipse(24, 10.5, 11, 9.5, shade(shell, 0.7));
    c.fillEllipse(23.5, 10, 10, 8.8, shell);
    for (double a = 0; a < 14; a += 0.05) {
        double r = 0.75 * a;
        c.set(int(24 + r * std::cos(a)), int(10.5 + r * 0.9 * std::sin(a)), shade(shell, 0.55));
    }
    c.fillEllipse(19.5, 5.5, 3, 2, shade(shell, 1.35));
    c.rimShade(1, 0, 0.8);
    c.rimShade(0, 1, 0.8);
    c.outline(kInk);
    return c;
}

FigureLook figureLook(int index) {
    const Colour ginger = rgb(214, 92, 34), blond = rgb(240, 206, 92), brown = rgb(92, 56, 34);
    const Colour green = rgb(54, 150, 80), blue = rgb(60, 98, 200), red = rgb(200, 52, 58);
    switch (index) {
        case 1:
            return {ginger, blue};
        case 2:
            return {blond, green};
        case 3:
            return {ginger, green, true, true, true};
        case 4:
            return {brown, green, false};
        case 5:
            return {ginger, red, true, false};
        case 6:
            return {blond, blue};
        default:
            return {ginger, green};
    }
}

Canvas figure(const FigureLook& look) {
    Canvas c(32, 88);
    const Colour dress = look.dress, hair = look.hair;
    // Braids behind the shoulders, with ribbons.
    if (look.braids) {
        for (int side : {-1, 1}) {
            c.fillEllipse(16 + side * 9, 19, 2.6, 6.5, shade(hair, 0.85));
            c.fillEllipse(16 + side * 9, 25.5, 2, 1.3, rgb(250, 240, 90));
        }
    }
    c.fillEllipse(16, 10.5, 8.5, 8.2, hair);
    // Dress, sleeves and hands.
    c.fillPolygon({{10, 20}, {22, 20}, {26.5, 43}, {5.5, 43}}, dress);
    c.fillPolygon({{10, 20}, {16, 20}, {16, 43}, {5.5, 43}}, shade(dress, 1.15));
    c.fillPolygon({{9, 20.5}, {12, 21}, {9, 32}, {6, 31}}, shade(dress, 1.1));
    c.fillPolygon({{23, 20.5}, {20, 21}, {23, 32}, {26, 31}}, shade(dress, 0.85));
    c.fillEllipse(7.5, 33, 2, 2, kSkin);
    c.fillEllipse(24.5, 33, 2, 2, shade(kSkin, 0.9));
    if (look.apron) {
        c.fillPolygon({{12.5, 26}, {19.5, 26}, {21.5, 40}, {10.5, 40}}, rgb(246, 244, 236));
        c.line(13, 20, 13, 26, rgb(246, 244, 236));
        c.line(19, 20, 19, 26, rgb(246, 244, 236));
        c.line(11, 37, 21, 37, rgb(214, 210, 200));
    }
    // Legs in striped stockings, and shoes.
    for (int x : {12, 17}) {
        for (int y = 43; y < 48; ++y) {
            c.fillRect(x, y, 3, 1, y % 2 ? rgb(250, 250, 250) : rgb(170, 40, 52));
        }
        c.fillEllipse(x + 1.5, 49.3, 2.8, 1.9, rgb(80, 44, 30));
    }
    // Neck and face.
    c.fillRect(14, 17, 4, 4, shade(kSkin, 0.9));
    c.fillEllipse(16, 12.3, 6.2, 6.3, kSkin);
    c.fillEllipse(16, 6.8, 7.4, 3.8, hair);
    c.fillEllipse(13, 5.5, 2.5, 1.2, shade(hair, 1.3));
    for (int x : {13, 19}) {
        c.fillRect(x, 11, 1, 2, kInk);
        c.set(x - 1, 15, rgb(240, 140, 130));
    }
    c.fillRect(15, 16, 2, 1, rgb(170, 60, 60));
    if (look.hat) {
        const Colour straw = rgb(232, 196, 110);
        c.fillEllipse(16, 3.5, 6.5, 3.6, straw);
        c.fillRect(10, 4, 12, 2, rgb(190, 50, 60));
        c.fillEllipse(16, 6.2, 12, 2.2, shade(straw, 1.1));
    }
    c.rimShade(1, 0, 0.8);
    c.rimShade(0, 1, 0.82);
    c.outline(kInk);
    return c;
}

Canvas crossHair() {
    Canvas c(64, 32);
    const Colour bright = rgb(255, 226, 84);
    for (auto [x, y, sx, sy] :
         {std::array{1, 1, 1, 1}, {62, 1, -1, 1}, {1, 30, 1, -1}, {62, 30, -1, -1}}) {
        for (int i = 0; i < 11; ++i) {
            for (int t = 0; t < 2; ++t) {
                c.set(x + sx * i, y + sy * t, bright);
                c.set(x + sx * t, y + sy * i, bright);
            }
        }
    }
    // Ticks that point at the middle, which itself stays clear.
    c.fillRect(31, 2, 2, 7, bright);
    c.fillRect(31, 23, 2, 7, bright);
    c.fillRect(10, 15, 9, 2, bright);
    c.fillRect(45, 15, 9, 2, bright);
    c.rimShade(0, 1, 0.75);
    c.outline(kInk);
    return c;
}

Canvas probe() {
    Canvas c(1, 1);
    c.set(0, 0, rgb(255, 255, 255));
    return c;
}

Canvas snailMarker() {
    Canvas c(32, 14);
    const Colour foot = rgb(206, 214, 150), shell = rgb(196, 110, 48);
    c.fillEllipse(16, 11, 14, 1.8, foot);
    c.fillEllipse(4, 8.5, 2.6, 3, foot);
    c.line(3, 6, 2, 1, foot);
    c.line(5, 6, 6, 1, foot);
    c.fillEllipse(18, 6, 7, 5.2, shell);
    for (double a = 0; a < 11; a += 0.05) {
        double r = 0.45 * a;
        c.set(int(18 + r * std::cos(a)), int(6 + r * std::sin(a)), shade(shell, 0.55));
    }
    c.rimShade(0, 1, 0.8);
    c.outline(kInk);
    return c;
}

Canvas portrait() {
    Canvas c(56, 56);
    c.fillRect(0, 0, 56, 56, kInk);
    c.fillRect(2, 2, 52, 52, rgb(150, 98, 52));
    c.fillRect(4, 4, 48, 48, rgb(244, 230, 190));
    c.paste(figure(figureLook(0)).crop(3, 0, 26, 24).scaled(2), 2, 6);
    c.fillRect(0, 52, 56, 4, kInk);
    c.fillRect(2, 52, 52, 2, rgb(150, 98, 52));
    return c;
}

}  // namespace media
