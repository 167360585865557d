#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <set>
#include <string>

// The console report, plus a closing table that sets the figures against the
// goals they must meet.
class CGoalReporter : public benchmark::ConsoleReporter
{
public:
    struct Measured
    {
        double seconds = 0.0;    // real time per iteration
        double cpuSeconds = 0.0; // processor time per iteration
        std::map<std::string, double> counters;
    };

    void ReportRuns(const std::vector<Run> &runs) override;
    // Prints the goals table; returns how many goals were missed.
    int PrintGoals() const;

private:
    const Measured *Find(const std::string &function) const;
    std::map<std::string, Measured> m_measured;
    std::set<std::string> m_fastest; // benchmarks reported by their fastest repetition
};

// Bytes that the export benchmark writes per iteration.
extern const double ExportBenchBytes;
// Bytes of the design file that the open benchmarks read.
extern const double OpenBenchBytes;

// Repeats a benchmark and adds the fastest repetition to the report. Other
// work on a shared machine only ever adds time, so the fastest repetition is
// the best estimate of a cost; the goals are judged on it.
void Repeated(benchmark::internal::Benchmark *benchmark);
// The same with three repetitions of one iteration, for benchmarks of seconds.
void RepeatedFew(benchmark::internal::Benchmark *benchmark);
