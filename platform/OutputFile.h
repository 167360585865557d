#pragma once

#include <QSaveFile>
#include <QString>

#include <cstddef>
#include <stdexcept>

// A file error, carrying the platform's description of what went wrong.
class CFileException : public std::runtime_error
{
public:
    explicit CFileException(const QString &description);
    QString Description() const;
};

// A file written as a whole: it appears complete when committed, or not at
// all, and an existing file of that name is untouched until then.
// Every failure is thrown as a CFileException.
class COutputFile
{
public:
    explicit COutputFile(const QString &path);
    ~COutputFile();

    COutputFile(const COutputFile &) = delete;
    COutputFile &operator=(const COutputFile &) = delete;

    void Write(const void *data, std::size_t size);
    // Makes the written bytes the file's content.
    void Commit();

private:
    [[noreturn]] void Fail(const QString &reason);
    QString ErrorString() const;

    QSaveFile m_file;
};
