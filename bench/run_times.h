// A console reporter that also hands each measured run's time per
// iteration to the benchmark program, for the ratios it prints after the
// table.
#pragma once

#include <benchmark/benchmark.h>

#include <vector>

namespace vorlan::bench {

class RunTimesReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            double n = static_cast<double>(run.iterations);
            keep(run.run_name, run.real_accumulated_time / n, run.cpu_accumulated_time / n);
        }
    }

  protected:
    // Seconds per iteration, wall clock and CPU.
    virtual void keep(const benchmark::BenchmarkName& name, double realSeconds,
                      double cpuSeconds) = 0;
};

}  // namespace vorlan::bench
