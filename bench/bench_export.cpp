// Export of a large design to a real file.
#include "bench/BenchDesign.h"
#include "bench/GoalReport.h"

#include "export/DesignFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int ExportShapes = 10000;
constexpr int ExportVertices = 49;

} // namespace

const double ExportBenchBytes =
    DesignHeaderSize + ExportShapes * double(RecordHeaderSize + ExportVertices * VertexEntrySize);

namespace {

void BM_Export(benchmark::State &state)
{
    const ShapeList shapes = MakeExportDesign(ExportShapes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.jvf"));
    for (auto _ : state)
        ExportDesign(path, shapes);
    if (QFile(path).size() != static_cast<qint64>(ExportBenchBytes))
        state.SkipWithError("the file has the wrong size");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(ExportBenchBytes));
}
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond);

} // namespace
