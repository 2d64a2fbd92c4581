#pragma once
// Collects each benchmark's time per iteration (the median when repeated), so a program can
// print ratios between benchmarks of the same run at the end.
#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace gliffo::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      const std::string name = r.run_name.str();
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
        Times[name] = r.GetAdjustedRealTime();
        medians_.insert(name);
      } else if (r.run_type == Run::RT_Iteration && r.iterations > 0 && !medians_.count(name)) {
        Times[name] = r.GetAdjustedRealTime();
      }
    }
  }
  std::map<std::string, double> Times;

 private:
  std::set<std::string> medians_;
};

}  // namespace gliffo::bench
