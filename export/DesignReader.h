#pragma once

#include "model/ObjectStorage.h"

#include <QString>

#include <stdexcept>

class QIODevice;

// A design file that cannot be read, or is not exactly what WriteDesign
// writes. what() is one or more full sentences saying what is wrong and at
// which record or byte (counted from 0 at the start of the file); it never
// names the file, so that the caller can put the name in front.
class CDesignReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Reads a whole design from an open device, from its current position to its
// end, in chunks. Returns the shapes in file order, or throws
// CDesignReadError (or std::bad_alloc) and returns nothing at all.
ShapeList ReadDesign(QIODevice &device);

// Opens the file at path and reads it as above. A file that cannot be opened
// is refused with the platform's reason, a folder with "It is a folder."
ShapeList ReadDesign(const QString &path);

// What the editor and the command line say of a file that cannot be read.
QString DesignReadMessage(const QString &path, const CDesignReadError &error);
