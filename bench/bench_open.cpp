// Opening a large design: how fast it is read, and how much memory reading
// it takes.
#include "bench/BenchDesign.h"
#include "bench/GoalReport.h"

#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "model/Copies.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int OpenShapes = 65535;
constexpr int OpenVertices = 49;

} // namespace

const double OpenBenchBytes =
    DesignHeaderSize + OpenShapes * double(CObjectStorage::RecordHeaderSize + OpenVertices * CObjectStorage::VertexEntrySize);

namespace {

// The design file, written once for the whole run, outside any timing.
const QString &OpenBenchFile()
{
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vortigram-bench-XXXXXX"));
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("open.jvf"));
        ExportDesign(file, MakeExportDesign(OpenShapes));
        return file;
    }();
    return path;
}

bool FileIsReady(benchmark::State &state)
{
    if (QFile(OpenBenchFile()).size() == static_cast<qint64>(OpenBenchBytes))
        return true;
    state.SkipWithError("the design file was not written");
    return false;
}

void BM_Open(benchmark::State &state)
{
    if (!FileIsReady(state))
        return;
    for (auto _ : state) {
        ShapeList shapes = ReadDesign(OpenBenchFile());
        benchmark::DoNotOptimize(shapes.data());
        // Freeing the design is not part of opening it.
        state.PauseTiming();
        shapes.clear();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(OpenBenchBytes));
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// The reference: the same file's bytes read through a buffer of the reader's
// size and dropped, so that the rest of BM_Open is the decoding and the shapes.
void BM_OpenBytesOnly(benchmark::State &state)
{
    if (!FileIsReady(state))
        return;
    std::vector<char> buffer(256 * 1024);
    for (auto _ : state) {
        QFile file(OpenBenchFile());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            state.SkipWithError("the design file cannot be opened");
            return;
        }
        while (file.read(buffer.data(), static_cast<qint64>(buffer.size())) > 0)
            benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(OpenBenchBytes));
}
BENCHMARK(BM_OpenBytesOnly)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// The rest of opening: finding the copy groups of the design read, as the
// window does, here in one without any.
void BM_OpenGroups(benchmark::State &state)
{
    if (!FileIsReady(state))
        return;
    ShapeList shapes = ReadDesign(OpenBenchFile());
    for (auto _ : state)
        RecogniseGroups(shapes);
}
BENCHMARK(BM_OpenGroups)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// The same in a design made of spirals: 91 clicks of 360 copies over two
// turns, each 0.99 of the last, with their mirror images.
void BM_OpenGroupsSpirals(benchmark::State &state)
{
    ShapeList shapes;
    for (auto &drawn : MakeExportDesign(OpenShapes / 720))
        for (auto &shape : MakeCopies(std::move(drawn), CopyPattern({360, 720, false, 0.99, true})))
            shapes.push_back(std::move(shape));
    for (auto _ : state)
        RecogniseGroups(shapes);
    if (shapes.front()->Group().group->copies != 360)
        state.SkipWithError("the spirals were not found");
}
BENCHMARK(BM_OpenGroupsSpirals)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// A line of /proc/self/status, such as "VmHWM:", in KiB; -1 when missing.
long StatusKiB(const char *field)
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    long value = -1;
    char line[256];
    while (value < 0 && std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            value = std::strtol(line + std::strlen(field), nullptr, 10);
    }
    std::fclose(status);
    return value;
}

// Runs in a child process: how far the resident memory rose above what it was
// just before reading the design, in KiB; -1 when it cannot be told.
long PeakGrowthWhileReading()
{
    // Give the heap's free pages back first, or the design could fill memory
    // that is already resident and never show.
    malloc_trim(0);
    // Linux: "5" resets the peak (VmHWM) to the present size (VmRSS).
    std::FILE *clear = std::fopen("/proc/self/clear_refs", "w");
    if (!clear)
        return -1;
    const bool reset = std::fputs("5", clear) >= 0;
    if (std::fclose(clear) != 0 || !reset)
        return -1;
    const long before = StatusKiB("VmRSS:");
    try {
        const ShapeList shapes = ReadDesign(OpenBenchFile());
        const long peak = StatusKiB("VmHWM:");
        return before < 0 || peak < 0 || shapes.size() != std::size_t{OpenShapes} ? -1 : peak - before;
    } catch (...) {
        return -1;
    }
}

// The peak memory of reading, measured in a forked child so that nothing the
// benchmark process did before counts.
void BM_OpenPeakMemory(benchmark::State &state)
{
    if (!FileIsReady(state))
        return;
    long growth = -1;
    for (auto _ : state) {
        int channel[2];
        if (pipe(channel) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        const pid_t child = fork();
        if (child == 0) {
            const long measured = PeakGrowthWhileReading();
            _exit(write(channel[1], &measured, sizeof measured) == sizeof measured ? 0 : 1);
        }
        close(channel[1]);
        if (child < 0 || read(channel[0], &growth, sizeof growth) != sizeof growth)
            growth = -1;
        close(channel[0]);
        if (child > 0)
            waitpid(child, nullptr, 0);
    }
    if (growth < 0) {
        state.SkipWithError("the peak memory could not be measured");
        return;
    }
    state.counters["peak_mb"] = growth * 1024.0 / 1e6;
    state.counters["peak_x_file"] = growth * 1024.0 / OpenBenchBytes;
}
BENCHMARK(BM_OpenPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
