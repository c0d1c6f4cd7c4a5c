#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>

namespace ikw::bench {

// Prints each run as the console reporter does and remembers its real time per iteration, by
// benchmark function name, so that a program can print ratios between runs at the end.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    // Seconds per iteration of the benchmark function, 0 when it did not run.
    double seconds(const std::string& function) const;
    // numerator's time / denominator's time, 0 when either did not run.
    double ratio(const std::string& numerator, const std::string& denominator) const;

private:
    std::map<std::string, double> m_seconds;
};

// One line: what, the value, and whether it meets "<= target" or ">= target".
void printRatio(const char* what, double value, const char* comparison, double target);
// One line: what and the value, for a figure that has no target.
void printRatio(const char* what, double value);

// Runs `prepare` (the fixtures, so that no timed iteration makes them), the registered benchmarks,
// then `printRatios` with what they measured. Returns the exit status.
int runBenchmarksAndPrintRatios(int argc, char** argv, const std::function<void()>& prepare,
    const std::function<void(const RatioReporter&)>& printRatios);

}
