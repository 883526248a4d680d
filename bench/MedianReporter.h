#pragma once

#include <benchmark/benchmark.h>

#include <functional>
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
    // The repetitions behind the medians of `name`; 0 when it did not run.
    int repetitions(const std::string &name) const;

    // One column of a table of medians: the median of `counter` of the
    // benchmark `prefix` + row, or what `text` makes of the row.
    struct Column
    {
        using Text = std::function<std::string(const std::string &row)>;
        Column(std::string title, std::string counter, int decimals = 1, std::string prefix = {})
            : title(std::move(title)), prefix(std::move(prefix)), counter(std::move(counter)), decimals(decimals) {}
        Column(std::string title, Text text) : title(std::move(title)), text(std::move(text)) {}

        std::string title, prefix, counter;
        int decimals = 1;
        Text text;
    };
    // A row per name in `rows`, its name first, under a line of titles.
    void printTable(const std::string &rowTitle, const std::vector<std::string> &rows, const std::vector<Column> &columns) const;

private:
    struct Medians
    {
        benchmark::UserCounters counters;
        int repetitions = 0;
    };
    std::map<std::string, Medians> m_medians;
};

// "1.23" or "n/a" when a figure is missing (a filtered or failed benchmark).
std::string figure(std::optional<double> value, int decimals);
// a / b, when both are there and b is not 0.
std::optional<double> ratio(std::optional<double> a, std::optional<double> b);
// How a goal is printed: "met", "NOT met", or "n/a" when a figure is missing.
const char *verdict(bool known, bool met);
// `value` at most (or, with atLeast, at least) `limit`.
const char *verdict(std::optional<double> value, double limit, bool atLeast = false);
