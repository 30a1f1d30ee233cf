#include "sounds.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {

constexpr double kPi = 3.14159265358979323846;

double noteHz(int semitonesFromA4) {
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

struct Mix {
    std::vector<double> samples;

    explicit Mix(double seconds) : samples(size_t(seconds * kSampleRate), 0.0) {}

    // A struck bell: a few partials that fade at their own rates.
    void bell(double start, double hz, double length, double loudness) {
        const double partials[][3] = {{1, 1, 1}, {2, 0.35, 1.8}, {3, 0.15, 2.6}, {4.2, 0.08, 3.5}};
        for (size_t i = size_t(start * kSampleRate); i < samples.size(); ++i) {
            double t = double(i) / kSampleRate - start;
            if (t > length) break;
            double attack = std::min(1.0, t / 0.004);
            for (auto& p : partials) {
                samples[i] += loudness * attack * p[1] * std::exp(-t * p[2] * 4 / length) *
                              std::sin(2 * kPi * hz * p[0] * t);
            }
        }
    }

    // A soft horn-like tone with a bend and vibrato, for the sad fall.
    void horn(double start, double hz, double length, double bend, double loudness) {
        double phase = 0;
        for (size_t i = size_t(start * kSampleRate); i < samples.size(); ++i) {
            double t = double(i) / kSampleRate - start;
            if (t > length) break;
            double f = hz * (1 + bend * t / length) * (1 + 0.012 * std::sin(2 * kPi * 5.5 * t));
            phase += 2 * kPi * f / kSampleRate;
            double envelope = std::min(1.0, t / 0.03) * std::min(1.0, (length - t) / 0.08);
            double wave = std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.12 * std::sin(3 * phase);
            samples[i] += loudness * envelope * wave;
        }
    }

    std::vector<int16_t> finish() const {
        double peak = 1e-9;
        for (double s : samples) peak = std::max(peak, std::abs(s));
        std::vector<int16_t> out(samples.size());
        for (size_t i = 0; i < samples.size(); ++i) {
            double fade = std::min(1.0, double(samples.size() - i) / (0.02 * kSampleRate));
            out[i] = int16_t(std::lround(samples[i] / peak * 0.7 * 32767 * fade));
        }
        return out;
    }
};

}  // namespace

std::vector<int16_t> roundStartSound() {
    Mix m(0.95);
    const int notes[] = {7, 12, 16, 19};  // E5 A5 C#6 E6
    for (int i = 0; i < 4; ++i) m.bell(i * 0.09, noteHz(notes[i]), 0.6, 1.0 - i * 0.12);
    return m.finish();
}

std::vector<int16_t> winSound() {
    Mix m(1.3);
    const int notes[] = {3, 7, 10, 15};  // C5 E5 G5 C6
    for (int i = 0; i < 4; ++i) m.bell(i * 0.1, noteHz(notes[i]), 0.5, 0.9);
    for (int n : {3, 7, 10, 15}) m.bell(0.45, noteHz(n), 0.85, 0.6);
    return m.finish();
}

std::vector<int16_t> failSound() {
    Mix m(1.25);
    const int notes[] = {-2, -3, -4};  // G4 F#4 F4
    for (int i = 0; i < 3; ++i) m.horn(i * 0.26, noteHz(notes[i]), 0.24, -0.02, 0.8);
    m.horn(0.78, noteHz(-5), 0.45, -0.06, 0.8);  // E4, sagging
    return m.finish();
}

}  // namespace media
