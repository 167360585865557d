// The recovery journal: bytes written and syncs per change, the window
// thread's share of a change, and the replay of a large journal. Bytes and
// syncs are counted outside the journal's code: the process's write() bytes
// from /proc/self/io, and fdatasync() and fsync() through the wrappers below.
#include "bench/BenchDesign.h"
#include "bench/GoalReport.h"

#include "export/Journal.h"
#include "export/Recovery.h"
#include "model/DesignDocument.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <dlfcn.h>
#include <thread>

namespace {

std::atomic<int> syncs{0};

template <typename Function> Function RealSync(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

// The program's calls reach these first: the bench links the libraries statically.
extern "C" int fdatasync(int fd)
{
    static const auto real = RealSync<int (*)(int)>("fdatasync");
    ++syncs;
    return real(fd);
}

extern "C" int fsync(int fd)
{
    static const auto real = RealSync<int (*)(int)>("fsync");
    ++syncs;
    return real(fd);
}

namespace {

// The record of a 49-vertex shape: 792 bytes.
const double RecordBytes =
    CObjectStorage::RecordHeaderSize + 49.0 * CObjectStorage::VertexEntrySize;

// Bytes this process has handed to write() so far.
double WrittenBytes()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toDouble();
    return -1;
}

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One new 49-vertex shape, as a click without copies adds it.
ShapeList OneShape(std::uint32_t seed)
{
    return MakeExportDesign(1, seed);
}

// A document of count shapes followed by a journal in a folder of its own,
// its start already written.
struct CFollowed
{
    explicit CFollowed(int count)
    {
        document.Replace(MakeExportDesign(count));
        recovery.Follow(document);
        recovery.Flush();
    }
    ~CFollowed() { recovery.Close(); }

    QTemporaryDir folder;
    CDesignDocument document;
    CRecoveryFile recovery{folder.path()};
};

// 1,000 additions of a 49-vertex shape with count shapes open; with undo,
// each addition is undone again, so that the journal grows past the design
// and compacts. Counters: bytes written per addition, over the record's size,
// and the fresh journals written.
void Additions(benchmark::State &state, int count, bool undo, int additions)
{
    for (auto _ : state) {
        CFollowed followed(count);
        const double before = WrittenBytes();
        const int syncsBefore = syncs;
        for (int i = 0; i < additions; ++i) {
            followed.document.AddShapes(OneShape(static_cast<std::uint32_t>(i)));
            if (undo)
                followed.document.UndoStack().undo();
        }
        followed.recovery.Flush();
        const double bytes = (WrittenBytes() - before) / additions;
        state.counters["bytes_per_addition"] = bytes;
        state.counters["x_record"] = bytes / RecordBytes;
        state.counters["syncs"] = syncs - syncsBefore;
    }
}

void BM_JournalAdditions1000(benchmark::State &state)
{
    Additions(state, 1000, false, 1000);
}
BENCHMARK(BM_JournalAdditions1000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_JournalAdditions10000(benchmark::State &state)
{
    Additions(state, 10000, false, 1000);
}
BENCHMARK(BM_JournalAdditions10000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Up to the limit: 64,535 open, 65,535 after the last addition.
void BM_JournalAdditions64535(benchmark::State &state)
{
    Additions(state, static_cast<int>(MaxDesignShapes) - 1000, false, 1000);
}
BENCHMARK(BM_JournalAdditions64535)->Iterations(1)->Unit(benchmark::kMillisecond);

// 10,000 additions and undos on 1,000 shapes: the journal reaches four times
// the design's size three times over and is written afresh each time.
void BM_JournalAddUndo1000(benchmark::State &state)
{
    Additions(state, 1000, true, 10000);
}
BENCHMARK(BM_JournalAddUndo1000)->Iterations(1)->Unit(benchmark::kMillisecond);

// 100 additions, 10 ms apart (a second of fast clicks, or a drag): the syncs
// from the first addition until everything is on disk, per second of burst.
void BM_JournalSyncsInBurst(benchmark::State &state)
{
    for (auto _ : state) {
        CFollowed followed(1000);
        const int before = syncs;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 100; ++i) {
            followed.document.AddShapes(OneShape(static_cast<std::uint32_t>(i)));
            std::this_thread::sleep_until(start + std::chrono::milliseconds(10 * (i + 1)));
        }
        const std::chrono::duration<double> burst = std::chrono::steady_clock::now() - start;
        // The last sync comes within a second of the last addition.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        state.counters["syncs"] = syncs - before;
        state.counters["syncs_per_second"] = (syncs - before) / burst.count();
    }
}
BENCHMARK(BM_JournalSyncsInBurst)->Iterations(1)->Unit(benchmark::kMillisecond);

// The window thread's processor time for one change (an addition, then its
// undo) with 10,000 shapes open, with the journal following or not.
void WindowThreadPerChange(benchmark::State &state, bool recover)
{
    QTemporaryDir folder;
    CDesignDocument document;
    document.Replace(MakeExportDesign(10000));
    std::unique_ptr<CRecoveryFile> recovery;
    if (recover) {
        recovery = std::make_unique<CRecoveryFile>(folder.path());
        recovery->Follow(document);
        recovery->Flush();
    }
    double own = 0;
    std::uint32_t seed = 0;
    for (auto _ : state) {
        ShapeList shape = OneShape(++seed);
        const double start = ThreadSeconds();
        document.AddShapes(std::move(shape));
        document.UndoStack().undo();
        own += ThreadSeconds() - start;
    }
    state.counters["thread_us_per_change"] = own * 1e6 / 2 / static_cast<double>(state.iterations());
    if (recovery)
        recovery->Close();
}

void BM_WindowThreadPerChange(benchmark::State &state)
{
    WindowThreadPerChange(state, true);
}
BENCHMARK(BM_WindowThreadPerChange)->Unit(benchmark::kMicrosecond)->Apply(Repeated);

void BM_WindowThreadPerChangeNoRecovery(benchmark::State &state)
{
    WindowThreadPerChange(state, false);
}
BENCHMARK(BM_WindowThreadPerChangeNoRecovery)->Unit(benchmark::kMicrosecond)->Apply(Repeated);

// A journal of the largest design and 10,000 changes after it, written once
// by the journal's own writer: cycles of a removal at a random place, an
// addition at the end, its undo (the last removed), the removal's undo (an
// insertion), a change of a shape and a move.
struct CReplayJournal
{
    CReplayJournal()
    {
        CDesignDocument document;
        document.Replace(MakeExportDesign(static_cast<int>(MaxDesignShapes)));
        CRecoveryFile recovery(folder.path());
        recovery.Follow(document);
        std::uint32_t seed = 1;
        const auto place = [&seed] {
            seed = seed * 1103515245 + 12345;
            return static_cast<int>((seed >> 8) % MaxDesignShapes);
        };
        for (int change = 0; change < 10000;) {
            document.RemoveShapes({place()}, QStringLiteral("Remove"));
            document.AddShapes(OneShape(seed));
            document.UndoStack().undo();
            document.UndoStack().undo();
            document.ChangeShapes({place()}, OneShape(seed + 1), QStringLiteral("Change"));
            const int from = place();
            document.MoveShapes({from}, {from / 2}, QStringLiteral("Move"));
            change += 6;
        }
        recovery.Flush();
        path = recovery.FileName();
        bytes = static_cast<double>(QFileInfo(path).size());
        expected = document.Shapes().size();
        // Not closed: the journal stays, as after a crash.
    }

    QTemporaryDir folder;
    QString path;
    double bytes = 0;
    std::size_t expected = 0;
};

const CReplayJournal &ReplayBenchJournal()
{
    static const CReplayJournal journal;
    return journal;
}

void BM_ReplayJournal(benchmark::State &state)
{
    const CReplayJournal &journal = ReplayBenchJournal();
    for (auto _ : state) {
        ShapeList shapes = ReplayJournal(journal.path);
        if (shapes.size() != journal.expected) {
            state.SkipWithError("the replay gave another design");
            return;
        }
        state.PauseTiming();
        shapes.clear();
        state.ResumeTiming();
    }
    state.counters["journal_mb"] = journal.bytes / 1e6;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(journal.bytes));
}
BENCHMARK(BM_ReplayJournal)->Unit(benchmark::kMillisecond)->Apply(Repeated);

} // namespace
