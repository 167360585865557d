#include "export/Recovery.h"

#include "export/DesignFile.h"
#include "model/DesignDocument.h"
#include "platform/OutputFile.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <exception>

namespace {

const QString SlotPrefix = QStringLiteral("design-");
const QString DesignSuffix = QStringLiteral(".jvf");
const QString LockSuffix = QStringLiteral(".lock");

QString LockFor(const QString &design)
{
    return design.chopped(DesignSuffix.size()) + LockSuffix;
}

// A lock that no age makes stale: only the end of the program holding it does.
std::unique_ptr<QLockFile> TryLock(const QString &path)
{
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

} // namespace

QString CRecoveryFile::DefaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QStandardPaths::writableLocation(QStandardPaths::HomeLocation) +
                QStringLiteral("/.local/state");
    return state + QStringLiteral("/Marbrel/vortigram");
}

CRecoveryFile::CRecoveryFile(const QString &folder)
    : m_folder(folder)
{
    if (QDir().mkpath(folder)) {
        for (int slot = 1; slot < 1000 && !m_lock; ++slot) {
            const QString design = QDir(folder).filePath(SlotPrefix + QString::number(slot) +
                                                         DesignSuffix);
            // A slot whose file is still there holds an orphan to be offered.
            if (QFileInfo::exists(design))
                continue;
            if ((m_lock = TryLock(LockFor(design))))
                m_fileName = design;
        }
    }
    m_writer = std::thread(&CRecoveryFile::Run, this);
}

CRecoveryFile::~CRecoveryFile()
{
    {
        const std::lock_guard guard(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_writer.join();
}

QStringList CRecoveryFile::Orphans() const
{
    QStringList orphans;
    const QFileInfoList files =
        QDir(m_folder).entryInfoList({SlotPrefix + '*' + DesignSuffix}, QDir::Files, QDir::Time);
    for (const QFileInfo &file : files) {
        if (file.filePath() != m_fileName && TryLock(LockFor(file.filePath())))
            orphans.append(file.filePath());
    }
    return orphans;
}

void CRecoveryFile::Discard(const QString &orphan)
{
    QFile::remove(orphan);
}

void CRecoveryFile::Follow(const CDesignDocument &document)
{
    QObject::connect(&document, &CDesignDocument::ShapesAppended, &document,
                     [this, &document](int first) {
                         Encode(document, static_cast<std::size_t>(first));
                         Post();
                     });
    const auto rewrite = [this, &document] {
        m_design = {};
        Encode(document, 0);
        Post();
    };
    QObject::connect(&document, &CDesignDocument::ShapesReset, &document, rewrite);
    QObject::connect(&document, &CDesignDocument::ShapesRemoved, &document, rewrite);
    QObject::connect(&document, &CDesignDocument::ShapesInserted, &document, rewrite);
    QObject::connect(&document, &CDesignDocument::ShapesChanged, &document, rewrite);
    QObject::connect(&document, &CDesignDocument::ShapesMoved, &document, rewrite);
}

void CRecoveryFile::Encode(const CDesignDocument &document, std::size_t first)
{
    // Only the new shapes are encoded: a snapshot shares the older records.
    auto records = std::make_shared<QByteArray>();
    const ShapeList &shapes = document.Shapes();
    try {
        for (std::size_t i = first; i < shapes.size(); ++i)
            shapes[i]->AppendRecord(*records);
    } catch (const std::exception &) {
        // A shape no record can hold cannot be recovered either; the count
        // below still tells the writer the design no longer fits a file.
    }
    m_design.records.push_back(std::move(records));
    m_design.count = shapes.size();
}

void CRecoveryFile::Post()
{
    if (m_fileName.isEmpty())
        return;
    {
        const std::lock_guard guard(m_mutex);
        m_pending = m_design; // a write not yet begun is simply replaced
    }
    m_wake.notify_all();
}

void CRecoveryFile::Flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_writing; });
}

void CRecoveryFile::Close()
{
    {
        std::unique_lock lock(m_mutex);
        m_pending.reset();
        m_idle.wait(lock, [this] { return !m_writing; });
    }
    if (!m_fileName.isEmpty())
        QFile::remove(m_fileName);
    m_lock.reset();
    m_fileName.clear();
}

void CRecoveryFile::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_stop; });
        if (!m_pending)
            return;
        const Snapshot snapshot = std::move(*m_pending);
        m_pending.reset();
        m_writing = true;
        lock.unlock();
        Write(snapshot);
        lock.lock();
        m_writing = false;
        m_idle.notify_all();
    }
}

void CRecoveryFile::Write(const Snapshot &snapshot) const
{
    // Nothing to lose, nothing to offer at the next start.
    if (snapshot.count == 0) {
        QFile::remove(m_fileName);
        return;
    }
    try {
        COutputFile file(m_fileName);
        const QByteArray header = DesignHeader(snapshot.count);
        file.Write(header.constData(), static_cast<std::size_t>(header.size()));
        for (const Chunk &records : snapshot.records)
            file.Write(records->constData(), static_cast<std::size_t>(records->size()));
        file.Commit();
    } catch (const std::exception &) {
        // A full disk or a design too large for a file: the last good copy
        // stays, and editing goes on; the copy is a safety net, not the product.
    }
}
