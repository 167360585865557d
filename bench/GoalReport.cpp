#include "bench/GoalReport.h"

#include <QFile>
#include <QString>
#include <QSysInfo>
#include <QtGlobal>

#include <cmath>
#include <cstdio>
#include <functional>

void CGoalReporter::ReportRuns(const std::vector<Run> &runs)
{
    for (const Run &run : runs) {
        if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
            continue;
        Measured measured;
        measured.seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
        for (const auto &[name, counter] : run.counters)
            measured.counters[name] = counter.value;
        m_measured[run.run_name.function_name] = measured;
    }
    ConsoleReporter::ReportRuns(runs);
}

const CGoalReporter::Measured *CGoalReporter::Find(const std::string &function) const
{
    const auto found = m_measured.find(function);
    return found == m_measured.end() ? nullptr : &found->second;
}

namespace {

QString CpuModel()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown CPU");
}

struct Goal
{
    const char *what;
    const char *goal;
    // Figure as text and whether it meets the goal; nothing when not measured.
    std::function<bool(const std::function<const CGoalReporter::Measured *(const char *)> &,
                       std::string &figure, bool &met)>
        evaluate;
};

std::string Format(const char *format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

int CGoalReporter::PrintGoals() const
{
    using Lookup = std::function<const Measured *(const char *)>;
    const std::vector<Goal> goals = {
        {"Bare fill of the 1920 x 1080 image", "(reference)",
         [](const Lookup &find, std::string &figure, bool &met) {
             const Measured *fill = find("BM_BareFill");
             if (!fill)
                 return false;
             figure = Format("%.3f ms", fill->seconds * 1e3);
             met = true;
             return true;
         }},
        {"Shapes from integer points, no clip", "(reference)",
         [](const Lookup &find, std::string &figure, bool &met) {
             const Measured *direct = find("BM_DirectPainting");
             if (!direct)
                 return false;
             figure = Format("%.3f ms", direct->seconds * 1e3);
             met = true;
             return true;
         }},
        {"Shapes from integer points, clipped", "(reference)",
         [](const Lookup &find, std::string &figure, bool &met) {
             const Measured *direct = find("BM_DirectPaintingClipped");
             if (!direct)
                 return false;
             figure = Format("%.3f ms", direct->seconds * 1e3);
             met = true;
             return true;
         }},
        {"PaintCanvas of the design", "<= 1.20 x (b)",
         [](const Lookup &find, std::string &figure, bool &met) {
             // (b) is the faster of the two references.
             const Measured *paint = find("BM_PaintCanvas");
             const Measured *unclipped = find("BM_DirectPainting");
             const Measured *clipped = find("BM_DirectPaintingClipped");
             const Measured *direct = unclipped;
             if (!direct || (clipped && clipped->seconds < direct->seconds))
                 direct = clipped;
             if (!paint || !direct || direct->seconds <= 0)
                 return false;
             const double ratio = paint->seconds / direct->seconds;
             figure = Format("%.3f ms", paint->seconds * 1e3) + Format(" = %.2f x (b)", ratio);
             met = ratio <= 1.2;
             return true;
         }},
        {"Test animation, 360 frames at 30 ms", "10.8 s +- 2 %",
         [](const Lookup &find, std::string &figure, bool &met) {
             const Measured *animation = find("BM_TestAnimation");
             if (!animation)
                 return false;
             const double frames = animation->counters.count("frames")
                                       ? animation->counters.at("frames")
                                       : 0.0;
             figure = Format("%.3f s", animation->seconds) + Format(", %.0f frames", frames);
             met = std::abs(animation->seconds - 10.8) <= 0.02 * 10.8 && frames >= 360;
             return true;
         }},
        {"Export of 10,000 shapes of 49 vertices", ">= 300 MB/s",
         [](const Lookup &find, std::string &figure, bool &met) {
             const Measured *exported = find("BM_Export");
             if (!exported || exported->seconds <= 0)
                 return false;
             const double rate = ExportBenchBytes / exported->seconds / 1e6;
             figure = Format("%.0f MB/s", rate);
             met = rate >= 300;
             return true;
         }},
        {"LoadColours of 10,000 entries", "< 50 ms",
         [](const Lookup &find, std::string &figure, bool &met) {
             const Measured *load = find("BM_LoadColours");
             if (!load)
                 return false;
             figure = Format("%.2f ms", load->seconds * 1e3);
             met = load->seconds < 0.05;
             return true;
         }},
        {"SaveColours of 10,000 entries", "< 50 ms",
         [](const Lookup &find, std::string &figure, bool &met) {
             const Measured *save = find("BM_SaveColours");
             if (!save)
                 return false;
             figure = Format("%.2f ms", save->seconds * 1e3);
             met = save->seconds < 0.05;
             return true;
         }},
        {"Start-up to the first painted frame", "< 200 ms",
         [](const Lookup &find, std::string &figure, bool &met) {
             const Measured *startup = find("BM_StartupToFirstFrame");
             if (!startup)
                 return false;
             figure = Format("%.1f ms", startup->seconds * 1e3);
             met = startup->seconds < 0.2;
             return true;
         }},
    };

    const Lookup find = [this](const char *name) { return Find(name); };
    std::printf("\nGoals (%s, %s, Qt %s)\n", qPrintable(CpuModel()),
                qPrintable(QSysInfo::prettyProductName()), qVersion());
    std::printf("%-42s %-28s %-16s %s\n", "measure", "figure", "goal", "");
    int missed = 0;
    for (const Goal &goal : goals) {
        std::string figure;
        bool met = false;
        if (!goal.evaluate(find, figure, met)) {
            std::printf("%-42s %-28s %-16s %s\n", goal.what, "(not run)", goal.goal, "");
            continue;
        }
        const bool reference = std::string(goal.goal) == "(reference)";
        if (!met)
            ++missed;
        std::printf("%-42s %-28s %-16s %s\n", goal.what, figure.c_str(), goal.goal,
                    reference ? "" : (met ? "met" : "MISSED"));
    }
    std::fflush(stdout);
    return missed;
}
