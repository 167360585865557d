// The animation export: its 360 frames painted alone on every core, the same
// frames written as GIF and as WebP, and the peak memory of the program's
// --animate at 1920 x 1080 against a single --render of that size.
#include "bench/BenchDesign.h"
#include "bench/GoalReport.h"

#include "drawing/Animation.h"
#include "drawing/Canvas.h"
#include "export/DesignFile.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <ctime>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

constexpr QSize AnimationCanvas{480, 311};

// Processor time of every thread of the process, in seconds: what the work
// costs whatever else the cores are busy with.
double ProcessSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void BM_AnimationFramesOnly(benchmark::State &state)
{
    const ShapeList shapes = MakeBenchDesign(SmallDesign);
    const double start = ProcessSeconds();
    for (auto _ : state) {
        CPreviewFrames frames(AnimationCanvas, shapes);
        for (int k = 1; k <= PreviewFrameCount; ++k)
            benchmark::DoNotOptimize(frames.Take(k));
    }
    state.counters["process_cpu_s"] = (ProcessSeconds() - start) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_AnimationFramesOnly)->Unit(benchmark::kSecond)->UseRealTime()->Apply(RepeatedFew);

void Animate(benchmark::State &state, const char *name, const PictureView &look = PictureView())
{
    const ShapeList shapes = MakeBenchDesign(SmallDesign);
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    const double start = ProcessSeconds();
    for (auto _ : state) {
        if (!WriteAnimation(path, AnimationCanvas, shapes, {}, look)) {
            state.SkipWithError("the animation was not written");
            return;
        }
    }
    state.counters["process_cpu_s"] = (ProcessSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["file_mb"] = QFileInfo(path).size() / 1e6;
}

void BM_AnimateGif(benchmark::State &state)
{
    Animate(state, "bench.gif");
}
BENCHMARK(BM_AnimateGif)->Unit(benchmark::kSecond)->UseRealTime()->Apply(RepeatedFew);

void BM_AnimateWebP(benchmark::State &state)
{
    Animate(state, "bench.webp");
}
BENCHMARK(BM_AnimateWebP)->Unit(benchmark::kSecond)->UseRealTime()->Apply(RepeatedFew);

// --animate --smooth: the frames antialiased.
void BM_AnimateSmoothGif(benchmark::State &state)
{
    PictureView look;
    look.smooth = true;
    Animate(state, "smooth.gif", look);
}
BENCHMARK(BM_AnimateSmoothGif)->Unit(benchmark::kSecond)->UseRealTime()->Apply(RepeatedFew);

// The largest resident size of the program run with these arguments, in bytes;
// negative when it could not be run or failed.
double PeakOfProgram(const QStringList &arguments)
{
    std::vector<QByteArray> bytes{QByteArrayLiteral(VORTIGRAM_PROGRAM)};
    for (const QString &argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss * 1024.0;
}

void BM_AnimatePeakMemory(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString design = dir.filePath(QStringLiteral("bench.jvf"));
    ExportDesign(design, MakeBenchDesign(SmallDesign));
    const QStringList large{QStringLiteral("--size"), QStringLiteral("1920x1080")};
    const double frameBytes = 1920.0 * (1080 + FrameTop) * 4;
    for (auto _ : state) {
        const double render = PeakOfProgram(QStringList{"--render", design, "-o", dir.filePath("one.png")} + large);
        const double gif = PeakOfProgram(QStringList{"--animate", design, "-o", dir.filePath("a.gif")} + large);
        const double webp = PeakOfProgram(QStringList{"--animate", design, "-o", dir.filePath("a.webp")} + large);
        if (render < 0 || gif < 0 || webp < 0) {
            state.SkipWithError("the program failed");
            return;
        }
        state.counters["render_mb"] = render / 1e6;
        state.counters["gif_mb"] = gif / 1e6;
        state.counters["webp_mb"] = webp / 1e6;
        state.counters["gif_frames"] = (gif - render) / frameBytes;
        state.counters["webp_frames"] = (webp - render) / frameBytes;
        state.counters["webp_file_mb"] = QFileInfo(dir.filePath("a.webp")).size() / 1e6;
    }
}
BENCHMARK(BM_AnimatePeakMemory)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
