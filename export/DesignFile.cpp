#include "export/DesignFile.h"

#include "platform/LittleEndian.h"
#include "platform/OutputFile.h"

#include <string>

namespace {

// Records are gathered into writes of about this size: the file is written
// unbuffered, and a system call per record would slow large designs down.
constexpr qsizetype WriteChunk = 1 << 20;

void Flush(COutputFile &file, QByteArray &pending)
{
    file.Write(pending.constData(), static_cast<std::size_t>(pending.size()));
    pending.clear();
}

} // namespace

QByteArray DesignHeader(std::size_t count)
{
    if (count > MaxDesignShapes)
        throw CDesignLimitError("The design has " + std::to_string(count) +
                                " shapes; a design file holds at most 65535.");
    QByteArray header(DesignHeaderSize, '\0');
    auto *out = reinterpret_cast<unsigned char *>(header.data());
    out = PutU16(PutU32(out, DesignMagic), static_cast<std::uint16_t>(count));
    out[0] = 0xFF;
    out[1] = 0xFF;
    out[2] = 0xFF;
    out[3] = 0x00;
    return header;
}

void WriteDesign(COutputFile &file, const ShapeList &shapes)
{
    QByteArray pending = DesignHeader(shapes.size());
    pending.reserve(WriteChunk + WriteChunk / 8);
    for (const auto &shape : shapes) {
        shape->AppendRecord(pending);
        if (pending.size() >= WriteChunk)
            Flush(file, pending);
    }
    Flush(file, pending);
}

void ExportDesign(const QString &path, const ShapeList &shapes)
{
    // Refuse an oversized design before anything is created on disk.
    DesignHeader(shapes.size());
    COutputFile file(path);
    WriteDesign(file, shapes);
    file.Commit();
}
