#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

// The console report, plus a closing table that sets the figures against the
// goals they must meet.
class CGoalReporter : public benchmark::ConsoleReporter
{
public:
    struct Measured
    {
        double seconds = 0.0; // real time per iteration
        std::map<std::string, double> counters;
    };

    void ReportRuns(const std::vector<Run> &runs) override;
    // Prints the goals table; returns how many goals were missed.
    int PrintGoals() const;

private:
    const Measured *Find(const std::string &function) const;
    std::map<std::string, Measured> m_measured;
};

// Bytes that the export benchmark writes per iteration.
extern const double ExportBenchBytes;
