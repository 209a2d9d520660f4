#include "ratio_reporter.h"

#include <cstdio>
#include <utility>

RatioReporter::RatioReporter(std::string counter) : counter_(std::move(counter)) {}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    const auto found = run.counters.find(counter_);
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    if (found != run.counters.end() && (run.run_type == Run::RT_Iteration || median))
      rate_[run.run_name.str()] = found->second.value;
  }
  ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::Rate(const std::string& run) const {
  const auto found = rate_.find(run);
  return found == rate_.end() ? 0 : found->second;
}

void RatioReporter::PrintRatio(const char* label, const std::string& first, const std::string& second) const {
  const double a = Rate(first);
  const double b = Rate(second);
  if (a <= 0 || b <= 0) return;
  std::printf("%-44s ratio %5.2f\n", label, a / b);
}
