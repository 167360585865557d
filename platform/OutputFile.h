#pragma once

#include <QFile>
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

// A file that only grows, for a journal: each Append goes to the end at once
// (a killed program loses nothing appended), and Sync makes it survive a
// power cut. Every failure is thrown as a CFileException.
class CAppendFile
{
public:
    // Opens an existing file for appending.
    explicit CAppendFile(const QString &path);

    CAppendFile(const CAppendFile &) = delete;
    CAppendFile &operator=(const CAppendFile &) = delete;

    void Append(const QByteArray &bytes);
    void Sync();
    qint64 Size() const { return m_size; }

private:
    QFile m_file;
    qint64 m_size = 0;
};

// Makes the names in a folder (a file just renamed into place) survive a
// power cut.
void SyncFolder(const QString &folder);
