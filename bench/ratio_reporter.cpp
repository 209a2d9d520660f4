#include "ratio_reporter.h"

#include <cstdio>
#include <utility>

RatioReporter::RatioReporter(std::string counter) : counter_(std::move(counter)) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    for (const Run& run : runs) {
        const auto found = run.counters.find(counter_);
        if (run.run_type == Run::RT_Iteration && found != run.counters.end())
            rate_[run.benchmark_name()] = found->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::PrintRatio(const char* label, const std::string& first, const std::string& second) const
{
    const auto a = rate_.find(first);
    const auto b = rate_.find(second);
    if (a == rate_.end() || b == rate_.end() || b->second <= 0)
        return;
    std::printf("%-44s ratio %5.2f\n", label, a->second / b->second);
}
