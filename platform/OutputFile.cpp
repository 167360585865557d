#include "platform/OutputFile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {

[[noreturn]] void FailWithErrno()
{
    throw CFileException(QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

CFileException::CFileException(const QString &description)
    : std::runtime_error(description.toStdString())
{
}

QString CFileException::Description() const
{
    return QString::fromStdString(what());
}

COutputFile::COutputFile(const QString &path)
    : m_file(path)
{
    // QSaveFile would happily write "into" a folder's name and only fail at
    // commit; say what is wrong up front instead.
    if (QFileInfo(path).isDir())
        throw CFileException(QStringLiteral("%1 is a folder.").arg(path));
    // Never fall back to writing the target in place: a failure must leave an
    // existing file as it was.
    m_file.setDirectWriteFallback(false);
    // Unbuffered, so that a full disk shows in the write that meets it: a
    // buffered write fails only inside commit(), which does not report it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw CFileException(ErrorString());
}

COutputFile::~COutputFile()
{
    // Without a commit the temporary file is thrown away.
    if (m_file.isOpen())
        m_file.cancelWriting();
}

void COutputFile::Write(const void *data, std::size_t size)
{
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const std::size_t chunk = std::min<std::size_t>(size, std::numeric_limits<int>::max());
        // A short count is not an error yet: the next write says why it stopped.
        const qint64 written = m_file.write(bytes, static_cast<qint64>(chunk));
        if (written <= 0)
            Fail(ErrorString());
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void COutputFile::Commit()
{
    // Space the file system only promised is claimed here (delayed allocation).
    if (!m_file.flush())
        Fail(ErrorString());
    if (::fsync(m_file.handle()) != 0)
        Fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (!m_file.commit())
        throw CFileException(ErrorString());
}

void COutputFile::Fail(const QString &reason)
{
    // The reason is taken before cancelling, which replaces it.
    m_file.cancelWriting();
    throw CFileException(reason);
}

QString COutputFile::ErrorString() const
{
    const QString text = m_file.errorString();
    return text.isEmpty() ? QStringLiteral("Unknown error") : text;
}

CAppendFile::CAppendFile(const QString &path)
    : m_file(path)
{
    // Unbuffered: an append is in the file (the kernel's cache) when it returns.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw CFileException(m_file.errorString());
    m_size = m_file.size();
}

void CAppendFile::Append(const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            // A record cut short stays at the end; the caller starts a new file.
            m_size += done;
            throw CFileException(m_file.errorString());
        }
        done += written;
    }
    m_size += done;
}

void CAppendFile::Sync()
{
    if (::fdatasync(m_file.handle()) != 0)
        FailWithErrno();
}

void SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        FailWithErrno();
    const int synced = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    errno = error;
    if (synced != 0)
        FailWithErrno();
}
