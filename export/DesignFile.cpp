#include "export/DesignFile.h"

#include "export/LittleEndian.h"
#include "platform/OutputFile.h"

#include <vector>

void CObjectStorage::WriteRecord(COutputFile &file) const
{
    const std::size_t n = m_points.size();
    if (n > MaxRecordVertices)
        throw CDesignLimitError("A shape has " + std::to_string(n) +
                                " vertices; a design file holds at most 255 per shape.");

    const unsigned char header[RecordHeaderSize] = {
        static_cast<unsigned char>(m_type & 0xFF),  static_cast<unsigned char>(n),
        static_cast<unsigned char>(m_fill.red & 0xFF), static_cast<unsigned char>(m_fill.green & 0xFF),
        static_cast<unsigned char>(m_fill.blue & 0xFF), static_cast<unsigned char>(m_pen.red & 0xFF),
        static_cast<unsigned char>(m_pen.green & 0xFF), static_cast<unsigned char>(m_pen.blue & 0xFF)};

    std::vector<unsigned char> buffer(n * VertexEntrySize); // may throw std::bad_alloc
    unsigned char *out = buffer.data();
    for (const PolarPoint &p : m_points) {
        out = PutF64(out, p.angle);
        out = PutF64(out, p.radius);
    }

    file.Write(header, sizeof header);
    if (!buffer.empty())
        file.Write(buffer.data(), buffer.size());
}

namespace {

void CheckShapeCount(const ShapeList &shapes)
{
    if (shapes.size() > MaxDesignShapes)
        throw CDesignLimitError("The design has " + std::to_string(shapes.size()) +
                                " shapes; a design file holds at most 65535.");
}

} // namespace

void WriteDesign(COutputFile &file, const ShapeList &shapes)
{
    CheckShapeCount(shapes);

    unsigned char header[DesignHeaderSize];
    unsigned char *out = PutU32(header, DesignMagic);
    out = PutU16(out, static_cast<std::uint16_t>(shapes.size()));
    out[0] = 0xFF;
    out[1] = 0xFF;
    out[2] = 0xFF;
    out[3] = 0x00;
    file.Write(header, sizeof header);

    for (const auto &shape : shapes)
        shape->WriteRecord(file);
}

void ExportDesign(const QString &path, const ShapeList &shapes)
{
    // Refuse an oversized design before anything is created on disk.
    CheckShapeCount(shapes);
    COutputFile file(path);
    WriteDesign(file, shapes);
    file.Commit();
}
