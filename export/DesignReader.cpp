#include "export/DesignReader.h"

#include "export/DesignFile.h"
#include "platform/LittleEndian.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Large enough that a read costs little next to the decoding, small enough to
// stay in the cache while it is decoded.
constexpr std::size_t ChunkSize = 256 * 1024;
// Holds the largest piece that must be seen whole: a vertex entry.
constexpr std::size_t MinimumBuffer = 64;

using std::to_string;

std::string Count(std::uint64_t n, const char *one, const char *many)
{
    return to_string(n) + ' ' + (n == 1 ? one : many);
}

// The platform's words for a failure, without a closing full stop.
std::string Reason(const QString &errorString)
{
    std::string text = errorString.isEmpty() ? "Unknown error" : errorString.toStdString();
    if (text.back() == '.')
        text.pop_back();
    return text;
}

// "FF FF FF 00"
std::string HexBytes(const unsigned char *bytes, std::size_t size)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (i > 0)
            text += ' ';
        text += Digits[bytes[i] >> 4];
        text += Digits[bytes[i] & 0xF];
    }
    return text;
}

[[noreturn]] void Fail(const std::string &message)
{
    throw CDesignReadError(message);
}

// The device's bytes through one reusable buffer, with the file offset of
// each.
class CChunkReader
{
public:
    explicit CChunkReader(QIODevice &device)
        : m_device(device)
        , m_buffer(BufferSize(device))
    {
    }

    // Makes at least need (<= MinimumBuffer) bytes available at Data();
    // false when the device ends first.
    bool Ensure(std::size_t need)
    {
        while (Available() < need) {
            if (m_ended)
                return false;
            Refill();
        }
        return true;
    }

    const unsigned char *Data() const { return m_buffer.data() + m_pos; }
    std::size_t Available() const { return m_end - m_pos; }
    std::uint64_t Offset() const { return m_offset; }
    // Bytes the device holds beyond what was read, when it can tell.
    qint64 Remaining() const
    {
        return m_device.isSequential() ? -1 : std::max<qint64>(0, m_device.bytesAvailable());
    }

    void Skip(std::size_t n)
    {
        m_pos += n;
        m_offset += n;
    }

private:
    // A file smaller than a chunk needs no more buffer than its own size.
    static std::size_t BufferSize(const QIODevice &device)
    {
        if (device.isSequential())
            return ChunkSize;
        const qint64 left = std::max<qint64>(0, device.size() - device.pos());
        return std::clamp(static_cast<std::size_t>(left), MinimumBuffer, ChunkSize);
    }

    void Refill()
    {
        std::memmove(m_buffer.data(), Data(), Available());
        m_end = Available();
        m_pos = 0;
        const qint64 got = m_device.read(reinterpret_cast<char *>(m_buffer.data() + m_end),
                                         static_cast<qint64>(m_buffer.size() - m_end));
        if (got < 0)
            Fail("Byte " + to_string(m_offset + m_end) + ": the file could not be read (" +
                 Reason(m_device.errorString()) + ").");
        m_ended = got == 0;
        m_end += static_cast<std::size_t>(got);
    }

    QIODevice &m_device;
    std::vector<unsigned char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::uint64_t m_offset = 0;
    bool m_ended = false;
};

class CDesignParser
{
public:
    explicit CDesignParser(QIODevice &device)
        : m_in(device)
    {
    }

    ShapeList Parse()
    {
        ReadHeader();
        ShapeList shapes;
        shapes.reserve(ShapesToReserve());
        for (m_record = 1; m_record <= m_count; ++m_record)
            shapes.push_back(ReadRecord());
        CheckEnd();
        return shapes;
    }

private:
    void ReadHeader()
    {
        if (!m_in.Ensure(DesignHeaderSize)) {
            if (m_in.Available() == 0)
                Fail("The file is empty.");
            Fail("The file is " + Count(m_in.Available(), "byte", "bytes") +
                 " long; a design file begins with a 10-byte header.");
        }
        const unsigned char *header = m_in.Data();
        if (GetU32(header) != DesignMagic)
            Fail("Byte 0: the file does not begin with the design file mark FF E0 AD 0F.");
        static constexpr unsigned char Tail[] = {0xFF, 0xFF, 0xFF, 0x00};
        if (std::memcmp(header + 6, Tail, sizeof Tail) != 0)
            Fail("Byte 6: the header ends with " + HexBytes(header + 6, sizeof Tail) +
                 " instead of FF FF FF 00.");
        m_count = GetU16(header + 4);
        m_in.Skip(DesignHeaderSize);
    }

    // Every record takes at least its header's bytes: a file that says it
    // holds more shapes than it could gets no room for them up front.
    std::size_t ShapesToReserve() const
    {
        const qint64 remaining = m_in.Remaining();
        if (remaining < 0)
            return m_count;
        const std::uint64_t bytes = static_cast<std::uint64_t>(remaining) + m_in.Available();
        return static_cast<std::size_t>(std::min<std::uint64_t>(m_count, bytes / CObjectStorage::RecordHeaderSize));
    }

    std::unique_ptr<CObjectStorage> ReadRecord()
    {
        m_recordStart = m_in.Offset();
        if (!m_in.Ensure(CObjectStorage::RecordHeaderSize)) {
            if (m_in.Available() == 0)
                Fail("The header counts " + Count(m_count, "record", "records") +
                     ", but the file ends after " + to_string(m_record - 1) + '.');
            FailInRecord("the file ends inside the record's 8-byte header.");
        }
        const unsigned char *header = m_in.Data();
        std::unique_ptr<CObjectStorage> shape = MakeShape(header[0]);
        const int vertices = header[1];
        shape->SetFillColour(header[2], header[3], header[4]);
        shape->SetPenColour(header[5], header[6], header[7]);
        m_in.Skip(CObjectStorage::RecordHeaderSize);
        ReadVertices(*shape, vertices);
        return shape;
    }

    std::unique_ptr<CObjectStorage> MakeShape(int type) const
    {
        if (type != CPolyStorage::TypeValue && type != CLineStorage::TypeValue)
            FailInRecord("type " + to_string(type) + " is neither 1 (polygon) nor 2 (polyline).");
        return CObjectStorage::Create(type);
    }

    // Decodes the vertices a buffer's worth at a time.
    void ReadVertices(CObjectStorage &shape, int count)
    {
        shape.ReservePoints(static_cast<std::size_t>(count)); // at most 255
        int done = 0;
        while (done < count) {
            if (!m_in.Ensure(CObjectStorage::VertexEntrySize))
                FailInRecord("the file ends after " + to_string(done) + " of the record's " +
                             Count(count, "vertex", "vertices") + '.');
            const int whole = static_cast<int>(m_in.Available() / CObjectStorage::VertexEntrySize);
            const int batch = std::min(count - done, whole);
            const unsigned char *entry = m_in.Data();
            for (int i = 0; i < batch; ++i, entry += CObjectStorage::VertexEntrySize) {
                const double angle = GetF64(entry);
                const double radius = GetF64(entry + 8);
                if (!std::isfinite(angle) || !std::isfinite(radius))
                    FailNotFinite(std::isfinite(angle) ? "radius" : "angle", done + i + 1);
                shape.AddPoint(angle, radius);
            }
            m_in.Skip(static_cast<std::size_t>(batch) * CObjectStorage::VertexEntrySize);
            done += batch;
        }
    }

    void CheckEnd()
    {
        if (!m_in.Ensure(1))
            return;
        Fail("Byte " + to_string(m_in.Offset()) + ": the file goes on after " + LastCounted() +
             '.');
    }

    std::string LastCounted() const
    {
        if (m_count == 0)
            return "the header, which counts no records";
        if (m_count == 1)
            return "the only record the header counts";
        return "the last of the " + to_string(m_count) + " records the header counts";
    }

    [[noreturn]] void FailInRecord(const std::string &what) const
    {
        Fail("Record " + to_string(m_record) + " at byte " + to_string(m_recordStart) + ": " +
             what);
    }

    [[noreturn]] void FailNotFinite(const char *which, int vertex) const
    {
        FailInRecord(std::string("the ") + which + " of vertex " + to_string(vertex) +
                     " is not a finite number.");
    }

    CChunkReader m_in;
    int m_count = 0;
    int m_record = 0;
    std::uint64_t m_recordStart = 0;
};

} // namespace

ShapeList ReadDesign(QIODevice &device)
{
    return CDesignParser(device).Parse();
}

ShapeList ReadDesign(const QString &path)
{
    // Opening a folder may succeed and reading it fail: say what it is instead.
    if (QFileInfo(path).isDir())
        Fail("It is a folder.");
    QFile file(path);
    // Unbuffered: the reader's own chunks go straight from the file.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        Fail(Reason(file.errorString()) + '.');
    return ReadDesign(file);
}

QString DesignReadMessage(const QString &path, const CDesignReadError &error)
{
    return QStringLiteral("Cannot open %1.\n%2").arg(path, QString::fromStdString(error.what()));
}
