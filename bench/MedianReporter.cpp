#include "MedianReporter.h"

#include <algorithm>
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
        if ((median || single) && !run.error_occurred) {
            m_medians[run.run_name.function_name] = run.counters;
            m_repetitions = std::max(m_repetitions, int(std::max<int64_t>(run.repetitions, 1)));
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

std::optional<double> MedianReporter::median(const std::string &name, const std::string &counter) const
{
    const auto runs = m_medians.find(name);
    if (runs == m_medians.end())
        return std::nullopt;
    const auto value = runs->second.find(counter);
    if (value == runs->second.end())
        return std::nullopt;
    return value->second.value;
}
