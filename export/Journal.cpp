#include "export/Journal.h"

#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "platform/LittleEndian.h"
#include "platform/OutputFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>

namespace {

using std::to_string;

constexpr std::uint32_t JournalMagic = 0x4C4E4A56; // "VJNL"
constexpr std::uint32_t JournalFormat = 1;
// Length and kind before the payload, the checksum after it.
constexpr int EntryHeadSize = 5;
constexpr int EntryTailSize = 4;
// The largest payload a valid entry can have: places and a full design of
// shapes of the most vertices. A longer length is damage, not a design.
constexpr std::uint64_t MaxPayload =
    4 + 4 * std::uint64_t{MaxDesignShapes} + DesignHeaderSize +
    MaxDesignShapes * (CObjectStorage::RecordHeaderSize +
                       CObjectStorage::MaxRecordVertices * CObjectStorage::VertexEntrySize);

// A fresh journal once it is this many times the design's size, and at least
// this large: the rewrite costs a third of what was appended since.
constexpr qint64 CompactFactor = 4;
constexpr qint64 CompactFloor = 64 * 1024;
// At most two syncs a second however fast the changes come, the first at
// once. A failed write is tried again after a second, then after twice as
// long each time up to a minute: a full disk is not written to all day.
constexpr auto SyncGap = std::chrono::milliseconds(500);
constexpr auto FirstRetry = std::chrono::seconds(1);
constexpr auto LastRetry = std::chrono::seconds(64);

void PutU32(QByteArray &out, std::uint32_t value)
{
    unsigned char bytes[4];
    ::PutU32(bytes, value);
    out.append(reinterpret_cast<const char *>(bytes), 4);
}

void PutPlaces(QByteArray &out, const Places &places)
{
    for (const int place : places)
        PutU32(out, static_cast<std::uint32_t>(place));
}

bool CarriesPlaces(JournalKind kind)
{
    return kind == JournalKind::Remove || kind == JournalKind::Insert ||
           kind == JournalKind::Change || kind == JournalKind::Move;
}

bool CarriesShapes(JournalKind kind)
{
    return kind == JournalKind::Design || kind == JournalKind::Append ||
           kind == JournalKind::Insert || kind == JournalKind::Change;
}

std::uint32_t Checksum(std::uint32_t crc, const char *data, std::size_t size)
{
    return static_cast<std::uint32_t>(
        crc32_z(crc, reinterpret_cast<const unsigned char *>(data), size));
}

// The list operations of the document, for any list: the writer keeps the
// design's records in one, replay the order of its shapes. Places are
// checked first. Only what lies between the first place and end moves, in
// whole runs: the document's TakeAt and PutAt rebuild the whole list, which
// thousands of replayed changes on a 65,535-shape design cannot afford.

// Takes the items at places (below end) out: the others close up, and the
// last places.size() slots before end are left over.
template <typename T>
std::vector<T> TakeOut(std::vector<T> &list, const Places &places, std::size_t end)
{
    std::vector<T> taken;
    taken.reserve(static_cast<std::size_t>(places.size()));
    auto kept = list.begin() + (places.isEmpty() ? 0 : places.first());
    for (qsizetype i = 0; i < places.size(); ++i) {
        const auto place = list.begin() + places[i];
        taken.push_back(std::move(*place));
        const auto next = i + 1 < places.size() ? list.begin() + places[i + 1]
                                                : list.begin() + static_cast<std::ptrdiff_t>(end);
        kept = std::move(place + 1, next, kept);
    }
    return taken;
}

// Puts items in at places (below end), into the items.size() slots left over
// before end: the others make room.
template <typename T>
void PutIn(std::vector<T> &list, const Places &places, std::vector<T> items, std::size_t end)
{
    auto from = list.begin() + static_cast<std::ptrdiff_t>(end - items.size());
    auto to = list.begin() + static_cast<std::ptrdiff_t>(end);
    for (qsizetype i = places.size(); i-- > 0;) {
        const auto place = list.begin() + places[i];
        const auto count = to - place - 1;
        to = std::move_backward(from - count, from, to) - 1;
        from -= count;
        *to = std::move(items[static_cast<std::size_t>(i)]);
    }
}

std::string Count(std::size_t n, const char *one, const char *many)
{
    return to_string(n) + ' ' + (n == 1 ? one : many);
}

// Why places do not fit a list of size shapes, or nothing.
std::string CheckPlaces(const Places &places, std::size_t size)
{
    for (qsizetype i = 0; i < places.size(); ++i) {
        if (places[i] < 0 || static_cast<std::size_t>(places[i]) >= size)
            return "place " + to_string(static_cast<std::uint32_t>(places[i])) +
                   " is out of range (" + (size == 0 ? "there are no shapes" : "0 to " + to_string(size - 1)) + ").";
        if (i > 0 && places[i] <= places[i - 1])
            return "places " + to_string(places[i - 1]) + " and " + to_string(places[i]) +
                   " are not in ascending order.";
    }
    return {};
}

// Why the edit, bringing items shapes, cannot apply to a list of size
// shapes, or nothing; size becomes the list's size afterwards.
std::string CheckEdit(JournalKind kind, const Places &places, const Places &to,
                      std::uint32_t count, std::size_t items, std::size_t &size)
{
    if ((kind == JournalKind::Insert || kind == JournalKind::Change) &&
        items != static_cast<std::size_t>(places.size()))
        return "it holds " + Count(items, "shape", "shapes") + " for " +
               Count(static_cast<std::size_t>(places.size()), "place", "places") + '.';
    std::string why;
    switch (kind) {
    case JournalKind::Design:
        size = items;
        break;
    case JournalKind::Append:
        size += items;
        break;
    case JournalKind::RemoveLast:
        if (count > size)
            return "it removes the last " + to_string(count) + " shapes of " + to_string(size) + '.';
        size -= count;
        break;
    case JournalKind::Remove:
        why = CheckPlaces(places, size);
        size -= static_cast<std::size_t>(places.size());
        break;
    case JournalKind::Insert:
        size += items;
        why = CheckPlaces(places, size);
        break;
    case JournalKind::Change:
        why = CheckPlaces(places, size);
        break;
    case JournalKind::Move:
        // Replay reads as many places to as from; an edit could differ.
        if (to.size() != places.size())
            return "it moves " + Count(static_cast<std::size_t>(places.size()), "shape", "shapes") +
                   " to " + Count(static_cast<std::size_t>(to.size()), "place", "places") + '.';
        why = CheckPlaces(places, size);
        if (why.empty())
            why = CheckPlaces(to, size);
        break;
    }
    return why;
}

template <typename T>
void ApplyEdit(std::vector<T> &list, JournalKind kind, const Places &places, const Places &to,
               std::uint32_t count, std::vector<T> items)
{
    switch (kind) {
    case JournalKind::Design:
        list = std::move(items);
        break;
    case JournalKind::Append:
        list.insert(list.end(), std::make_move_iterator(items.begin()),
                    std::make_move_iterator(items.end()));
        break;
    case JournalKind::RemoveLast:
        list.resize(list.size() - count);
        break;
    case JournalKind::Remove:
        TakeOut(list, places, list.size());
        list.resize(list.size() - static_cast<std::size_t>(places.size()));
        break;
    case JournalKind::Insert:
        list.resize(list.size() + items.size());
        PutIn(list, places, std::move(items), list.size());
        break;
    case JournalKind::Change:
        for (qsizetype i = 0; i < places.size(); ++i)
            list[static_cast<std::size_t>(places[i])] = std::move(items[static_cast<std::size_t>(i)]);
        break;
    case JournalKind::Move:
        if (!places.isEmpty()) {
            // The shapes after the last place either list names stay put.
            const auto end = static_cast<std::size_t>(std::max(places.last(), to.last())) + 1;
            PutIn(list, to, TakeOut(list, places, end), end);
        }
        break;
    }
}

// Reads a journal entry by entry.
class CReplay
{
public:
    explicit CReplay(QIODevice &device)
        : m_in(device)
    {
    }

    ShapeList Run(qint64 *end)
    {
        ReadHeader();
        for (m_entry = 1; NextEntry(); ++m_entry) {
            if (m_entry == 1 && m_kind != JournalKind::Design)
                Fail("the journal does not begin with the design it started from.");
            ApplyEntry();
        }
        if (m_entry == 1)
            Fail("the journal's first entry, the design it started from, is incomplete or damaged.");
        if (end)
            *end = static_cast<qint64>(m_offset);
        ShapeList shapes;
        shapes.reserve(m_order.size());
        for (const std::uint32_t index : m_order)
            shapes.push_back(std::move(m_pool[index]));
        return shapes;
    }

private:
    void ReadHeader()
    {
        const QByteArray header = Read(JournalHeaderSize);
        const auto *bytes = reinterpret_cast<const unsigned char *>(header.constData());
        if (header.size() < JournalHeaderSize || GetU32(bytes) != JournalMagic)
            throw CJournalError("Byte 0: the file does not begin with the recovery journal's mark "
                                "56 4A 4E 4C.");
        if (const std::uint32_t format = GetU32(bytes + 4); format != JournalFormat)
            throw CJournalError("Byte 4: the journal is of format " + to_string(format) +
                                "; this version reads format 1.");
        m_offset = JournalHeaderSize;
    }

    // The next whole entry, checksum and all; false at the end or at an
    // entry cut short or damaged.
    bool NextEntry()
    {
        m_start = m_offset;
        const QByteArray head = Read(EntryHeadSize);
        if (head.size() < EntryHeadSize)
            return false;
        const std::uint32_t length = GetU32(reinterpret_cast<const unsigned char *>(head.constData()));
        const qint64 left = m_in.isSequential() ? -1 : m_in.size() - m_in.pos();
        if (length > MaxPayload || (left >= 0 && length + EntryTailSize > static_cast<std::uint64_t>(left)))
            return false;
        m_payload = Read(static_cast<qint64>(length) + EntryTailSize);
        if (m_payload.size() != static_cast<qsizetype>(length) + EntryTailSize)
            return false;
        const std::uint32_t crc = Checksum(Checksum(0, head.constData(), EntryHeadSize),
                                           m_payload.constData(), length);
        if (crc != GetU32(reinterpret_cast<const unsigned char *>(m_payload.constData()) + length))
            return false;
        m_payload.truncate(length);
        m_kind = static_cast<JournalKind>(head[4]);
        m_offset += EntryHeadSize + length + EntryTailSize;
        if (head[4] < 1 || head[4] > 7)
            Fail("kind " + to_string(static_cast<unsigned char>(head[4])) + " is not one of 1 to 7.");
        return true;
    }

    void ApplyEntry()
    {
        m_read = 0;
        Places places, to;
        std::uint32_t count = 0;
        if (m_kind == JournalKind::RemoveLast)
            count = TakeU32();
        if (CarriesPlaces(m_kind)) {
            places = TakePlaces();
            if (m_kind == JournalKind::Move)
                to = TakePlaces(static_cast<std::size_t>(places.size()));
        }
        ShapeList items;
        if (CarriesShapes(m_kind))
            items = TakeShapes();
        else if (m_read != m_payload.size())
            Fail("it goes on for " + to_string(m_payload.size() - m_read) + " bytes after its end.");
        std::size_t size = m_order.size();
        if (const std::string why = CheckEdit(m_kind, places, to, count, items.size(), size); !why.empty())
            Fail(why);
        if (size > MaxDesignShapes)
            Fail("it takes the design to " + to_string(size) +
                 " shapes; a design file holds at most 65535.");
        // A whole design leaves every earlier shape out.
        if (m_kind == JournalKind::Design)
            m_pool.clear();
        std::vector<std::uint32_t> added(items.size());
        std::iota(added.begin(), added.end(), static_cast<std::uint32_t>(m_pool.size()));
        m_pool.insert(m_pool.end(), std::make_move_iterator(items.begin()),
                      std::make_move_iterator(items.end()));
        ApplyEdit(m_order, m_kind, places, to, count, std::move(added));
    }

    std::uint32_t TakeU32()
    {
        if (m_payload.size() - m_read < 4)
            Fail("it ends early.");
        const std::uint32_t value =
            GetU32(reinterpret_cast<const unsigned char *>(m_payload.constData()) + m_read);
        m_read += 4;
        return value;
    }

    // A count and that many places, or count places when one is given.
    Places TakePlaces(std::size_t count = SIZE_MAX)
    {
        if (count == SIZE_MAX)
            count = TakeU32();
        if ((m_payload.size() - m_read) / 4 < static_cast<qsizetype>(count))
            Fail("it ends early.");
        Places places;
        places.reserve(static_cast<qsizetype>(count));
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t place = TakeU32();
            if (place > MaxDesignShapes)
                Fail("place " + to_string(place) + " is out of range.");
            places.append(static_cast<int>(place));
        }
        return places;
    }

    // The rest of the payload, read as a design file is.
    ShapeList TakeShapes()
    {
        const QByteArray rest = QByteArray::fromRawData(m_payload.constData() + m_read,
                                                        m_payload.size() - m_read);
        QBuffer buffer;
        buffer.setData(rest);
        buffer.open(QIODevice::ReadOnly);
        try {
            return ReadDesign(buffer);
        } catch (const CDesignReadError &e) {
            Fail("its shapes, from byte " + to_string(m_start + EntryHeadSize + m_read) +
                 ", are not a design file's: " + e.what());
        }
    }

    QByteArray Read(qint64 size)
    {
        QByteArray bytes = m_in.read(size);
        const auto *file = qobject_cast<const QFileDevice *>(&m_in);
        if (bytes.size() < size && file && file->error() != QFileDevice::NoError)
            throw CFileException(file->errorString());
        return bytes;
    }

    [[noreturn]] void Fail(const std::string &what) const
    {
        throw CJournalError("Entry " + to_string(m_entry) + " at byte " + to_string(m_start) + ": " + what);
    }

    QIODevice &m_in;
    // The shapes read since the last whole design, and the design's order of
    // them: plain indices shift as one memmove, owning pointers one by one.
    ShapeList m_pool;
    std::vector<std::uint32_t> m_order;
    std::uint64_t m_offset = 0;
    std::uint64_t m_start = 0;
    int m_entry = 0;
    JournalKind m_kind = JournalKind::Design;
    QByteArray m_payload;
    qsizetype m_read = 0;
};

} // namespace

QByteArray EncodeJournalEntry(const CJournalEdit &edit)
{
    QByteArray entry(EntryHeadSize, '\0');
    if (edit.kind == JournalKind::RemoveLast)
        PutU32(entry, edit.count);
    if (CarriesPlaces(edit.kind)) {
        PutU32(entry, static_cast<std::uint32_t>(edit.places.size()));
        PutPlaces(entry, edit.places);
        PutPlaces(entry, edit.to); // Move's only
    }
    if (CarriesShapes(edit.kind)) {
        entry += DesignHeader(edit.records.size());
        for (const QByteArray &record : edit.records)
            entry += record;
    }
    auto *head = reinterpret_cast<unsigned char *>(entry.data());
    ::PutU32(head, static_cast<std::uint32_t>(entry.size() - EntryHeadSize));
    head[4] = static_cast<unsigned char>(edit.kind);
    PutU32(entry, Checksum(0, entry.constData(), static_cast<std::size_t>(entry.size())));
    return entry;
}

ShapeList ReplayJournal(QIODevice &device, qint64 *end)
{
    return CReplay(device).Run(end);
}

ShapeList ReplayJournal(const QString &path, qint64 *end)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CFileException(file.errorString());
    return ReplayJournal(file, end);
}

CJournalWriter::CJournalWriter(QString path)
    : m_path(std::move(path))
{
}

CJournalWriter::~CJournalWriter() = default;

qint64 CJournalWriter::Size() const
{
    return m_file ? m_file->Size() : 0;
}

void CJournalWriter::Adopt(std::vector<QByteArray> design)
{
    m_design = std::move(design);
    m_designBytes = std::accumulate(m_design.cbegin(), m_design.cend(), qint64{0},
                                    [](qint64 bytes, const QByteArray &record) { return bytes + record.size(); });
    m_lost = false;
    m_file.reset();
    m_broken = true;
    m_due = Clock::now();
    m_file = std::make_unique<CAppendFile>(m_path);
    m_broken = false;
    // Its last entries may never have been synced.
    m_unsynced = true;
}

void CJournalWriter::Apply(CJournalEdit &edit)
{
    // A copy that missed a change can only start again from a whole design.
    if (edit.lost || (m_lost && edit.kind != JournalKind::Design)) {
        m_lost = true;
        return;
    }
    std::size_t size = m_design.size();
    if (const std::string why = CheckEdit(edit.kind, edit.places, edit.to, edit.count,
                                          edit.records.size(), size);
        !why.empty()) {
        // Only a document that says one thing and does another gets here.
        m_lost = true;
        return;
    }
    m_lost = false;
    const auto bytesAt = [this](const Places &places) {
        qint64 bytes = 0;
        for (const int place : places)
            bytes += m_design[static_cast<std::size_t>(place)].size();
        return bytes;
    };
    if (edit.kind == JournalKind::Design)
        m_designBytes = 0;
    else if (edit.kind == JournalKind::RemoveLast)
        m_designBytes -= bytesAt(PlaceRange(static_cast<int>(m_design.size() - edit.count),
                                            static_cast<int>(edit.count)));
    else if (edit.kind == JournalKind::Remove || edit.kind == JournalKind::Change)
        m_designBytes -= bytesAt(edit.places);
    for (const QByteArray &record : edit.records)
        m_designBytes += record.size();
    ApplyEdit(m_design, edit.kind, edit.places, edit.to, edit.count, std::move(edit.records));
}

void CJournalWriter::Write(std::vector<CJournalEdit> edits, bool now)
{
    try {
        QByteArray entries;
        // Replay refuses an entry after which the design has more shapes than
        // a file holds, even when later ones bring it back: from the first
        // such entry on, the batch goes out as a fresh journal of the design
        // at its end instead.
        bool passed = false;
        for (CJournalEdit &edit : edits) {
            QByteArray entry;
            if (m_file && !passed && edit.records.size() <= MaxDesignShapes)
                entry = EncodeJournalEntry(edit);
            Apply(edit);
            passed = passed || m_design.size() > MaxDesignShapes;
            if (!passed)
                entries += entry;
        }
        if (m_lost)
            throw CFileException(QStringLiteral("The copy lost track of the design"));
        const auto time = Clock::now();
        // A design past the limit could never be replayed: refused whole (a
        // fresh journal's header refuses it too).
        if (passed)
            DesignHeader(m_design.size());
        if (m_file && passed) {
            WriteFresh();
        } else if (m_file) {
            if (!entries.isEmpty()) {
                m_file->Append(entries);
                m_unsynced = true;
                if (m_file->Size() > std::max(CompactFactor * (m_designBytes + DesignHeaderSize), CompactFloor))
                    WriteFresh();
            }
        } else if (m_broken ? now || time >= m_due : !m_design.empty()) {
            // The first journal once there is something to lose; after a
            // failure, a new one when it is due, not at every change.
            WriteFresh();
        }
        if (m_unsynced && (now || time >= m_lastSync + SyncGap)) {
            m_file->Sync();
            m_unsynced = false;
            m_lastSync = time;
        }
        if (!m_broken) {
            m_due = m_lastSync + SyncGap;
            m_retry = FirstRetry;
        }
    } catch (...) {
        m_file.reset();
        m_broken = true;
        m_unsynced = false;
        m_due = Clock::now() + m_retry;
        m_retry = std::min<Clock::duration>(2 * m_retry, LastRetry);
        throw;
    }
}

void CJournalWriter::WriteFresh()
{
    m_file.reset();
    // Counted afresh: the length must be the records' own.
    m_designBytes = 0;
    for (const QByteArray &record : m_design)
        m_designBytes += record.size();
    {
        COutputFile file(m_path);
        QByteArray head;
        head.reserve(JournalHeaderSize + EntryHeadSize + DesignHeaderSize);
        PutU32(head, JournalMagic);
        PutU32(head, JournalFormat);
        PutU32(head, static_cast<std::uint32_t>(DesignHeaderSize + m_designBytes));
        head += char(JournalKind::Design);
        head += DesignHeader(m_design.size());
        std::uint32_t crc = Checksum(0, head.constData() + JournalHeaderSize,
                                     static_cast<std::size_t>(head.size() - JournalHeaderSize));
        // The records go out in large writes, the checksum summed on the way.
        QByteArray chunk = head;
        const auto flush = [&] {
            file.Write(chunk.constData(), static_cast<std::size_t>(chunk.size()));
            chunk.clear();
        };
        for (const QByteArray &record : m_design) {
            crc = Checksum(crc, record.constData(), static_cast<std::size_t>(record.size()));
            chunk += record;
            if (chunk.size() >= (1 << 20))
                flush();
        }
        PutU32(chunk, crc);
        flush();
        file.Commit();
    }
    SyncFolder(QFileInfo(m_path).absolutePath());
    m_file = std::make_unique<CAppendFile>(m_path);
    m_broken = false;
    m_unsynced = false;
    m_lastSync = Clock::now();
}
