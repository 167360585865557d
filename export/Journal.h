#pragma once

#include "model/DesignDocument.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

class CAppendFile;
class QIODevice;

// The recovery journal: a start entry holding the design as it was when the
// journal began, then one entry per change of the document. docs/journal.md
// describes the bytes.

inline constexpr int JournalHeaderSize = 8;

enum class JournalKind : std::uint8_t
{
    Design = 1,     // the whole design: the first entry, and every reset
    Append = 2,     // shapes added at the end
    RemoveLast = 3, // the last count shapes removed
    Remove = 4,     // the shapes at places removed
    Insert = 5,     // shapes put in at places (numbered afterwards)
    Change = 6,     // the shapes at places replaced
    Move = 7,       // the shapes at places go to the places to
};

// One change of the design, its shapes encoded as the design file encodes them.
struct CJournalEdit
{
    JournalKind kind = JournalKind::Design;
    Places places = {};
    Places to = {};                       // Move
    std::uint32_t count = 0;              // RemoveLast
    std::vector<QByteArray> records = {}; // Design, Append, Insert, Change: one per shape
    bool lost = false;               // the shapes could not be encoded
};

// A journal that is not one, or an entry whose checksum holds but which
// breaks the rules. what() names the byte, counted from the file's start.
class CJournalError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The entry's bytes: length, kind, payload and checksum.
QByteArray EncodeJournalEntry(const CJournalEdit &edit);

// The design the journal on device leads to: every entry applied, up to the
// end or to the first entry that is cut short or fails its checksum (the
// last moments of a killed writer); end, when given, becomes the length of
// those whole entries. Throws CJournalError, CFileException when the device
// cannot be read, or std::bad_alloc.
ShapeList ReplayJournal(QIODevice &device, qint64 *end = nullptr);
ShapeList ReplayJournal(const QString &path, qint64 *end = nullptr);

// Keeps the journal at path equal to a design, on the thread that owns it:
// appends each change to the file at once and makes it durable within a
// second, a burst of changes sharing the syncs; writes a fresh journal,
// renamed over the old one, when the journal has grown several times the
// design's size, or after a failure.
class CJournalWriter
{
public:
    using Clock = std::chrono::steady_clock;

    explicit CJournalWriter(QString path);
    ~CJournalWriter();
    CJournalWriter(const CJournalWriter &) = delete;
    CJournalWriter &operator=(const CJournalWriter &) = delete;

    // Applies the edits to its copy of the design and writes them; with now,
    // also syncs what is not yet synced. Throws CFileException or
    // CDesignLimitError; the next call starts a fresh journal.
    void Write(std::vector<CJournalEdit> edits, bool now);
    // Whether everything written is durable; if not, when Write should be
    // called (with no edits) to sync or to try again.
    bool Durable() const { return !m_unsynced && !m_broken; }
    Clock::time_point Due() const { return m_due; }
    qint64 Size() const;
    // The file at the path was replaced by another journal, whose whole
    // entries replay to design: appends to it from now on. Throws
    // CFileException when it cannot be opened; the next call then writes a
    // fresh journal of design.
    void Adopt(std::vector<QByteArray> design);

private:
    void Apply(CJournalEdit &edit);
    void WriteFresh();

    QString m_path;
    std::vector<QByteArray> m_design; // the shapes' records, as the document holds them now
    qint64 m_designBytes = 0;
    std::unique_ptr<CAppendFile> m_file;
    bool m_broken = false; // the last write failed: the journal on disk lags
    bool m_lost = false;   // the copy of the design missed a change
    bool m_unsynced = false;
    Clock::time_point m_lastSync;
    Clock::time_point m_due;
    Clock::duration m_retry = std::chrono::seconds(1);
};
