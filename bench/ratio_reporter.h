#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// The console table, plus one rate counter of every run kept so that ratios
// between runs can be printed after the table. With --benchmark_repetitions
// the median stands for the benchmark.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::string counter);

  void ReportRuns(const std::vector<Run>& runs) override;
  // The kept rate of a run; 0 when there is none.
  double Rate(const std::string& run) const;
  // Prints label and the rate of run first / rate of run second; nothing
  // when either run is missing.
  void PrintRatio(const char* label, const std::string& first, const std::string& second) const;

 private:
  std::string counter_;
  std::map<std::string, double> rate_;
};
