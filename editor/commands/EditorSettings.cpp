#include "commands/EditorSettings.h"

#include "commands/ScaleText.h"
#include "model/Copies.h"
#include "platform/SettingsStore.h"

#include <QLocale>

namespace {

const QString Section = QStringLiteral("Settings");

// A text of 0 or 1; anything else reads as off.
bool ReadFlag(const CSettingsStore &store, const QString &entry)
{
    return store.Read(Section, entry).trimmed() == QStringLiteral("1");
}

void WriteFlag(CSettingsStore &store, const QString &entry, bool on)
{
    store.Write(Section, entry, on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace

CEditorSettings CEditorSettings::Load(const CSettingsStore &store)
{
    CEditorSettings settings;
    const double scale =
        LeadingNumber(store.Read(Section, QStringLiteral("Scale"), QStringLiteral("1")));
    // A stored scale that can place no point would ruin every shape drawn.
    if (IsUsableScale(scale))
        settings.scale = scale;
    bool ok = false;
    const int copies = store.Read(Section, QStringLiteral("Copies")).trimmed().toInt(&ok);
    if (ok && copies >= MinCopies && copies <= MaxCopies)
        settings.copies = copies;
    const double factor = store.Read(Section, QStringLiteral("CopyScale")).trimmed().toDouble(&ok);
    if (ok && factor >= MinCopyScale && factor <= MaxCopyScale)
        settings.factor = factor;
    settings.openArc = ReadFlag(store, QStringLiteral("CopyArc"));
    settings.span = store.Read(Section, QStringLiteral("CopySpan")).trimmed().toDouble(&ok);
    // A span that makes no copies with the rest is damaged; so is an open
    // arc that a whole turn leaves with none.
    if (!ok || !CopySettingsProblem(settings).isEmpty())
        settings.span = 360;
    if (!CopySettingsProblem(settings).isEmpty())
        settings.openArc = false;
    settings.mirror = ReadFlag(store, QStringLiteral("Mirror"));
    settings.guides = ReadFlag(store, QStringLiteral("Guides"));
    settings.polarSnap = ReadFlag(store, QStringLiteral("PolarSnap"));
    settings.cycleColours = ReadFlag(store, QStringLiteral("CycleColours"));
    settings.smooth = ReadFlag(store, QStringLiteral("SmoothEdges"));
    return settings;
}

void CEditorSettings::Save(CSettingsStore &store) const
{
    // Only what the program writes survives, so the noise of a damaged file
    // does not live on in every later one.
    store.RemoveSection(Section);
    store.Write(Section, QStringLiteral("Scale"), FormatScaleSetting(scale));
    store.Write(Section, QStringLiteral("Copies"), QString::number(copies));
    // The shortest text that reads back as the same double.
    store.Write(Section, QStringLiteral("CopySpan"), QString::number(span, 'g', QLocale::FloatingPointShortest));
    WriteFlag(store, QStringLiteral("CopyArc"), openArc);
    store.Write(Section, QStringLiteral("CopyScale"),
                QString::number(factor, 'g', QLocale::FloatingPointShortest));
    WriteFlag(store, QStringLiteral("Mirror"), mirror);
    WriteFlag(store, QStringLiteral("Guides"), guides);
    WriteFlag(store, QStringLiteral("PolarSnap"), polarSnap);
    WriteFlag(store, QStringLiteral("CycleColours"), cycleColours);
    WriteFlag(store, QStringLiteral("SmoothEdges"), smooth);
}
