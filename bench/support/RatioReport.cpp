#include "bench/support/RatioReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ikw::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
            m_seconds[run.run_name.function_name] = run.real_accumulated_time / static_cast<double>(run.iterations);
    }
    ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::seconds(const std::string& function) const
{
    const auto found = m_seconds.find(function);
    return found == m_seconds.end() ? 0 : found->second;
}

double RatioReporter::ratio(const std::string& numerator, const std::string& denominator) const
{
    const double below = seconds(denominator);
    return below > 0 ? seconds(numerator) / below : 0.0;
}

void printRatio(const char* what, double value, const char* comparison, double target)
{
    if (value <= 0 || !std::isfinite(value)) {
        std::printf("%-58s   n/a (a benchmark did not run)\n", what);
        return;
    }
    const bool met = comparison[0] == '<' ? value <= target : value >= target;
    // Small figures keep two significant digits.
    const int decimals = value < 0.1 ? std::max(2, 1 - static_cast<int>(std::floor(std::log10(value)))) : 2;
    std::printf("%-58s %6.*f  (target %s %g: %s)\n", what, decimals, value, comparison, target, met ? "met" : "MISSED");
}

void printRatio(const char* what, double value)
{
    if (value <= 0 || !std::isfinite(value)) {
        std::printf("%-58s   n/a (a benchmark did not run)\n", what);
        return;
    }
    std::printf("%-58s %6.2f  (no target)\n", what, value);
}

int runBenchmarksAndPrintRatios(int argc, char** argv, const std::function<void()>& prepare,
    const std::function<void(const RatioReporter&)>& printRatios)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    prepare();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("\n");
    printRatios(reporter);
    return 0;
}

}
