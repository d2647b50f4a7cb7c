// A console reporter that also prints each benchmark's median as a row of
// `make bench`'s table: "@row<TAB>figure<TAB>ours<TAB>reference<TAB>ratio<TAB>target".
// A dialog action has no program to compare with: its reference and ratio are
// "-", its statement count goes with its time, and its target is the time it
// must stay within.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

namespace benchrows {

class MedianRowReporter : public benchmark::ConsoleReporter {
 public:
  // figure(name) gives the row's words for a benchmark's run name ("" leaves it out).
  using Namer = std::string (*)(const std::string& runName);
  // A counter in milliseconds that a benchmark keeps (a frame's time, say), reported as a row
  // of its own from the runs whose name starts with runPrefix.
  struct CounterRow {
    std::string runPrefix;
    std::string counter;
    std::string figure;
  };
  MedianRowReporter(Namer figure, std::string target, std::vector<CounterRow> counterRows = {})
      : m_figure(figure), m_target(std::move(target)), m_counterRows(std::move(counterRows)) {}
  // targetOf(name) gives each run's target where they differ.
  MedianRowReporter(Namer figure, Namer targetOf) : m_figure(figure), m_targetOf(targetOf) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.aggregate_name != "median" || run.error_occurred) continue;
      for (const CounterRow& c : m_counterRows) {
        const auto counter = run.counters.find(c.counter);
        if (run.run_name.str().rfind(c.runPrefix, 0) != 0 || counter == run.counters.end())
          continue;
        char ours[32];
        std::snprintf(ours, sizeof ours, "%.2f ms", counter->second.value);
        m_rows.push_back("@row\t" + c.figure + "\t" + ours + "\t-\t-\t" + m_target);
      }
      const std::string figure = m_figure(run.run_name.str());
      if (figure.empty()) continue;
      char ours[96];
      const auto statements = run.counters.find("statements");
      const auto queries = run.counters.find("queries run");
      if (statements != run.counters.end() && queries != run.counters.end()) {
        std::snprintf(ours, sizeof ours, "%.2f ms (cpu %.2f ms, %.0f statements, %.0f run)",
                      run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), statements->second.value,
                      queries->second.value);
      } else if (statements != run.counters.end()) {
        std::snprintf(ours, sizeof ours, "%.2f ms (cpu %.2f ms, %.0f statements)",
                      run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(),
                      statements->second.value);
      } else {
        std::snprintf(ours, sizeof ours, "%.2f ms (cpu %.2f ms)", run.GetAdjustedRealTime(),
                      run.GetAdjustedCPUTime());
      }
      m_rows.push_back("@row\t" + figure + "\t" + ours + "\t-\t-\t" +
                       (m_targetOf ? m_targetOf(run.run_name.str()) : m_target));
    }
  }
  // After the runs: the rows, together, on stdout.
  void printRows() const {
    for (const std::string& row : m_rows) std::printf("%s\n", row.c_str());
  }

 private:
  Namer m_figure;
  Namer m_targetOf = nullptr;
  std::string m_target;
  std::vector<CounterRow> m_counterRows;
  std::vector<std::string> m_rows;
};

}  // namespace benchrows
