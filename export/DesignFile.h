#pragma once

#include "model/ObjectStorage.h"

#include <QString>

#include <cstdint>
#include <stdexcept>

class COutputFile;

inline constexpr std::uint32_t DesignMagic = 0x0FADE0FF;
inline constexpr int DesignHeaderSize = 10;
inline constexpr int RecordHeaderSize = 8;
inline constexpr int VertexEntrySize = 16;
// The header counts shapes in 16 bits, a record its vertices in 8.
inline constexpr std::size_t MaxDesignShapes = 0xFFFF;
inline constexpr std::size_t MaxRecordVertices = 0xFF;

// A design that the file format cannot hold.
class CDesignLimitError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Writes the file header and every shape's record, in list order.
void WriteDesign(COutputFile &file, const ShapeList &shapes);

// Writes the design to the file at path, replacing it only when everything
// was written. Throws CFileException, CDesignLimitError or std::bad_alloc;
// in every case an existing file of that name keeps its content.
void ExportDesign(const QString &path, const ShapeList &shapes);
