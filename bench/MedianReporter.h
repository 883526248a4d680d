#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>

// The console report, and beside it the median of every counter of every
// benchmark, for figures computed after the run (ratios between peers).
// With one repetition the single run stands for the median.
class MedianReporter : public benchmark::ConsoleReporter
{
public:
    // In colour when the output is a terminal.
    MedianReporter();

    void ReportRuns(const std::vector<Run> &runs) override;

    // The median of `counter` for the benchmark registered as `name`.
    std::optional<double> median(const std::string &name, const std::string &counter) const;
    // Repetitions behind the medians (the most of any benchmark).
    int repetitions() const { return m_repetitions; }

private:
    std::map<std::string, benchmark::UserCounters> m_medians;
    int m_repetitions = 0;
};
