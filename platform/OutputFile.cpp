#include "platform/OutputFile.h"

#include <QFileInfo>
#include <limits>

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
    if (!m_file.open(QIODevice::WriteOnly))
        throw CFileException(m_file.errorString());
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
        const std::size_t chunk =
            std::min<std::size_t>(size, std::numeric_limits<int>::max());
        const qint64 written = m_file.write(bytes, static_cast<qint64>(chunk));
        if (written != static_cast<qint64>(chunk)) {
            m_file.cancelWriting();
            throw CFileException(ErrorString());
        }
        bytes += chunk;
        size -= chunk;
    }
}

void COutputFile::Commit()
{
    if (!m_file.commit())
        throw CFileException(ErrorString());
}

QString COutputFile::ErrorString() const
{
    const QString text = m_file.errorString();
    return text.isEmpty() ? QStringLiteral("Unknown error") : text;
}
