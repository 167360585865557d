// The full-screen player on a 1920 x 1080 screen: one loop of the preview's
// frames, each painted on the player's threads at the screen's square.
#include "bench/BenchDesign.h"

#include "window/FrameView.h"
#include "window/PlayerWindow.h"

#include <QCoreApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

void BM_PlayLoop(benchmark::State &state)
{
    CPlayerWindow window(std::make_shared<const ShapeList>(MakeBenchDesign(SmallDesign)));
    window.resize(BenchClient);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || window.size() != BenchClient) {
        state.SkipWithError("the player did not appear at its size");
        return;
    }
    CFramePlayer &player = window.Player();
    double latest = 0.0; // how far a frame was shown after its moment
    Clock::time_point start;
    QObject::connect(&player, &CFramePlayer::FrameShown, &window, [&](int k) {
        if (!player.IsPlaying())
            return; // the frame the loop starts after
        // Played on from the last frame, the nth moment shows frame n.
        const std::chrono::duration<double, std::milli> late = Clock::now() - start - k * PreviewFrameDelay;
        latest = std::max(latest, late.count());
    });
    for (auto _ : state) {
        player.Pause();
        player.Seek(PreviewFrameCount); // the loop starts again at frame 1
        while (player.Frame() != PreviewFrameCount)
            QCoreApplication::processEvents();
        start = Clock::now();
        player.Play();
        // The loop ends at the moment of its last frame, shown or skipped.
        while (player.Shown() + player.Skipped() < PreviewFrameCount)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    // What one frame of the square costs one thread to paint.
    const QSize square = window.View().FrameArea().size();
    const ShapeList shapes = MakeBenchDesign(SmallDesign);
    const auto painting = Clock::now();
    for (const int k : {90, 180, 270, 360})
        PaintPreviewFrame(square, k, shapes);
    state.counters["paint_ms"] = std::chrono::duration<double, std::milli>(Clock::now() - painting).count() / 4;
    state.counters["side"] = square.width();
    state.counters["shown"] = player.Shown();
    state.counters["skipped"] = player.Skipped();
    state.counters["latest_ms"] = latest;
}
BENCHMARK(BM_PlayLoop)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
