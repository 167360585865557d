// Loading and saving a colour list of 10,000 entries.
#include "palette/ColourComboBox.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include "bench/GoalReport.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Entries = 10000;
const QString Section = QStringLiteral("BenchColours");

QString StoreFile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     CSettingsStore::Organisation, CSettingsStore::Application)
        .fileName();
}

// A store holding the list; variant changes the file's size, so that the
// settings layer must read it again instead of answering from its cache.
void WriteStore(int variant)
{
    QByteArray text = "[BenchColours]\n";
    for (int i = 0; i < Entries; ++i)
        text += QByteArray::number(i) + '=' + QByteArray::number(i * 1667 % 16777216) + '\n';
    text += "[Other]\nx=" + QByteArray(static_cast<qsizetype>(1 + variant % 2), '1') + '\n';
    const QString path = StoreFile();
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

void BM_LoadColours(benchmark::State &state)
{
    int variant = 0;
    bool complete = true;
    for (auto _ : state) {
        state.PauseTiming();
        WriteStore(++variant);
        auto combo = std::make_unique<CColourComboBox>();
        state.ResumeTiming();

        // Reading the store is part of loading: the window reads it as it opens.
        const CSettingsStore store;
        combo->LoadColours(store, Section);

        state.PauseTiming();
        complete = complete && combo->ColourCount() == Entries;
        combo.reset();
        state.ResumeTiming();
    }
    if (!complete)
        state.SkipWithError("not every entry was loaded");
}
BENCHMARK(BM_LoadColours)->Unit(benchmark::kMillisecond)->Apply(Repeated);

void SaveColours(benchmark::State &state)
{
    CColourComboBox combo;
    for (int i = 0; i < Entries; ++i)
        combo.AddColour(i * 1667 % 16777216);
    // Read once, outside the timing: the benchmark above measures reading.
    CSettingsStore store;
    for (auto _ : state) {
        combo.SaveColours(store, Section);
        store.Save({Section});
    }

    CColourComboBox check;
    check.LoadColours(CSettingsStore(), Section);
    if (check.ColourCount() != Entries || check.ColourAt(Entries - 1) != combo.ColourAt(Entries - 1))
        state.SkipWithError("the saved list does not read back");
}

// The store is written whole and flushed to the disk at every save, so this
// includes the disk's own time.
void BM_SaveColours(benchmark::State &state)
{
    SaveColours(state);
}
BENCHMARK(BM_SaveColours)->Unit(benchmark::kMillisecond)->Apply(Repeated);

// The same with the store on a memory file system: the program's own cost.
void BM_SaveColoursToMemory(benchmark::State &state)
{
    QTemporaryDir memory(QStringLiteral("/dev/shm/vortigram-bench-XXXXXX"));
    if (!memory.isValid()) {
        state.SkipWithError("no memory file system");
        return;
    }
    const QString disk = QFileInfo(StoreFile()).path();
    for (auto format : {QSettings::IniFormat, QSettings::NativeFormat})
        QSettings::setPath(format, QSettings::UserScope, memory.path());
    SaveColours(state);
    // Back to the folder the other benchmarks use (the parent of Marbrel/).
    for (auto format : {QSettings::IniFormat, QSettings::NativeFormat})
        QSettings::setPath(format, QSettings::UserScope, QFileInfo(disk).path());
}
BENCHMARK(BM_SaveColoursToMemory)->Unit(benchmark::kMillisecond)->Apply(Repeated);

} // namespace
