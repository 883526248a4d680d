#include "MedianReporter.h"

#include <algorithm>
#include <cstdio>

#include <unistd.h>

MedianReporter::MedianReporter()
    : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular)
{
}

void MedianReporter::ReportRuns(const std::vector<Run> &runs)
{
    for (const Run &run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
        if ((median || single) && !run.error_occurred)
            m_medians[run.run_name.function_name] = {run.counters, int(run.repetitions > 1 ? run.repetitions : 1)};
    }
    ConsoleReporter::ReportRuns(runs);
}

std::optional<double> MedianReporter::median(const std::string &name, const std::string &counter) const
{
    const auto medians = m_medians.find(name);
    if (medians == m_medians.end() || !medians->second.counters.count(counter))
        return std::nullopt;
    return medians->second.counters.at(counter).value;
}

int MedianReporter::repetitions(const std::string &name) const
{
    const auto medians = m_medians.find(name);
    return medians == m_medians.end() ? 0 : medians->second.repetitions;
}

void MedianReporter::printTable(const std::string &rowTitle, const std::vector<std::string> &rows,
                                const std::vector<Column> &columns) const
{
    int first = int(rowTitle.size());
    for (const std::string &row : rows)
        first = std::max(first, int(row.size()));
    std::printf("%-*s", first, rowTitle.c_str());
    for (const Column &column : columns)
        std::printf(" %*s", std::max(int(column.title.size()), 7), column.title.c_str());
    for (const std::string &row : rows) {
        std::printf("\n%-*s", first, row.c_str());
        for (const Column &column : columns)
            std::printf(" %*s", std::max(int(column.title.size()), 7),
                        (column.text ? column.text(row) : figure(median(column.prefix + row, column.counter), column.decimals)).c_str());
    }
    std::printf("\n");
}

std::string figure(std::optional<double> value, int decimals)
{
    if (!value)
        return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, *value);
    return text;
}

std::optional<double> ratio(std::optional<double> a, std::optional<double> b)
{
    if (!a || !b || *b == 0)
        return std::nullopt;
    return *a / *b;
}

const char *verdict(bool known, bool met)
{
    return !known ? "n/a" : met ? "met" : "NOT met";
}

const char *verdict(std::optional<double> value, double limit, bool atLeast)
{
    return verdict(value.has_value(), value && (atLeast ? *value >= limit : *value <= limit));
}
