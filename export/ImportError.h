#pragma once

#include <QString>

#include <stdexcept>

// Data that came in from outside (an SVG drawing, the clipboard) and cannot
// be taken. what() is one or more full sentences saying why; it never names
// where the data came from, so that the caller can put that in front.
class CImportError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// What the editor and the command line say of data refused, from source (a
// file's name, "the clipboard").
inline QString ImportErrorMessage(const QString &source, const CImportError &error)
{
    return QStringLiteral("Cannot import %1.\n%2").arg(source, QString::fromStdString(error.what()));
}
