// The frame wait at 60 frames a second: how late each frame's wait ends
// after its deadline (p50, p99) and how much processor time the waiting
// costs per second, in the same run and the same window, for
// - the runtime's wait (timer slack lowered, spin margin learnt),
// - the earlier wait (default timer slack, sleeps while more than 2 ms
//   remain, then spins),
// - a pure busy loop over the message pump.
#include <benchmark/benchmark.h>

#include <sys/prctl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <vector>

#include "app/frame_clock.h"
#include "app/frame_loop.h"
#include "core/event_pump.h"
#include "gfx2d/game_window.h"
#include "platform/clock.h"

namespace vorlan {
namespace {

constexpr double kFrameTime = 1000.0 / 60.0;
constexpr int kFrames = 180;  // three seconds

double busyWait(double deadline) {
    for (;;) {
        pumpMessages();
        double t = clockMs();
        if (t > deadline) return t;
    }
}

// The earlier wait, kept here to compare against.
double fixedMarginWait(double deadline) {
    ::prctl(PR_SET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL);  // back to the default slack
    for (;;) {
        pumpMessages();
        double t = clockMs();
        if (t > deadline) {
            ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);  // as the runtime keeps it
            return t;
        }
        double remaining = deadline - t;
        if (remaining > 2.0) {
            double ms = std::fmin(remaining - 2.0, 4.0);
            timespec request{0, static_cast<long>(ms * 1.0e6)};
            while (nanosleep(&request, &request) != 0 && errno == EINTR) {
            }
        }
    }
}

template <double (*Wait)(double)>
void frameWait(benchmark::State& state) {
    if (!gameWindow) {
        gameWindow = new GameWindow();
        if (!gameWindow->createSurface(320, 240, 0, 0)) {
            state.SkipWithError("no OpenGL window (run under X)");
            return;
        }
    }
    std::vector<double> lateness;
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        double deadline = clockMs() + kFrameTime;
        double cpuStart = platform::cpuTimeMs();
        double wallStart = clockMs();
        for (int frame = 0; frame < kFrames; ++frame) {
            double t = Wait(deadline);
            lateness.push_back((t - deadline) * 1000.0);
            deadline = nextDeadline(deadline, kFrameTime, t);
        }
        cpu += platform::cpuTimeMs() - cpuStart;
        wall += clockMs() - wallStart;
    }
    std::sort(lateness.begin(), lateness.end());
    state.counters["late_p50_us"] = lateness[lateness.size() / 2];
    state.counters["late_p99_us"] = lateness[lateness.size() * 99 / 100];
    state.counters["cpu_ms_per_s"] = cpu / wall * 1000.0;
}

BENCHMARK(frameWait<fixedMarginWait>)
    ->Name("EarlierFixedMarginWait")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(frameWait<waitForDeadline>)
    ->Name("SleepThenSpinWait")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(frameWait<busyWait>)->Name("BusyLoopWait")->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlan
