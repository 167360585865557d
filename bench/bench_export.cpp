// Export of a large design to a real file.
#include "bench/BenchDesign.h"
#include "bench/GoalReport.h"

#include "export/DesignFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int ExportShapes = 10000;
constexpr int ExportVertices = 49;

} // namespace

const double ExportBenchBytes =
    DesignHeaderSize + ExportShapes * double(CObjectStorage::RecordHeaderSize +
                                             ExportVertices * CObjectStorage::VertexEntrySize);

namespace {

void Export(benchmark::State &state, const QString &parent)
{
    const ShapeList shapes = MakeExportDesign(ExportShapes);
    QTemporaryDir dir(parent + QStringLiteral("/vortigram-bench-XXXXXX"));
    if (!dir.isValid()) {
        state.SkipWithError("no temporary folder there");
        return;
    }
    const QString path = dir.filePath(QStringLiteral("bench.jvf"));
    for (auto _ : state)
        ExportDesign(path, shapes);
    if (QFile(path).size() != static_cast<qint64>(ExportBenchBytes))
        state.SkipWithError("the file has the wrong size");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(ExportBenchBytes));
}

// To a file on disk: the file is flushed to the disk before it replaces the
// old one, so this includes the disk's own time.
void BM_Export(benchmark::State &state)
{
    Export(state, QDir::tempPath());
}
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// The same to a memory file system, where the flush costs nothing: the
// program's own cost.
void BM_ExportToMemory(benchmark::State &state)
{
    Export(state, QStringLiteral("/dev/shm"));
}
BENCHMARK(BM_ExportToMemory)->Unit(benchmark::kMillisecond)->Apply(Repeated);

} // namespace
