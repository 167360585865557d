#pragma once

#include "model/ObjectStorage.h"

#include <QString>

#include <cstdint>

class COutputFile;

inline constexpr std::uint32_t DesignMagic = 0x0FADE0FF;
inline constexpr int DesignHeaderSize = 10;

// The 10-byte file header for a design of count shapes; throws
// CDesignLimitError for more shapes than it can count.
QByteArray DesignHeader(std::size_t count);

// Writes the file header and every shape's record, in list order.
void WriteDesign(COutputFile &file, const ShapeList &shapes);

// Writes the design to the file at path, replacing it only when everything
// was written. Throws CFileException, CDesignLimitError or std::bad_alloc;
// in every case an existing file of that name keeps its content.
void ExportDesign(const QString &path, const ShapeList &shapes);
