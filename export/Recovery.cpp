#include "export/Recovery.h"

#include "model/DesignDocument.h"
#include "platform/OutputFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const QString SlotPrefix = QStringLiteral("design-");
const QString JournalSuffix = QStringLiteral(".journal");
const QString LockSuffix = QStringLiteral(".lock");
constexpr int Slots = 999;

QString LockFor(const QString &journal)
{
    return journal.chopped(JournalSuffix.size()) + LockSuffix;
}

QString ErrnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// What a killed run may leave beside a journal: the temporary file of a
// fresh journal that was never renamed into place.
void RemoveLeftovers(const QString &journal)
{
    const QFileInfo info(journal);
    const QDir folder = info.dir();
    for (const QString &name : folder.entryList({info.fileName() + ".*"}, QDir::Files | QDir::Hidden))
        QFile::remove(folder.filePath(name));
}

// The records of the shapes at places (all of them without places), as the
// design file encodes them.
std::vector<QByteArray> Records(const ShapeList &shapes, const Places *places)
{
    const std::size_t count = places ? static_cast<std::size_t>(places->size()) : shapes.size();
    std::vector<QByteArray> records(count);
    for (std::size_t i = 0; i < count; ++i)
        shapes[places ? static_cast<std::size_t>((*places)[static_cast<qsizetype>(i)]) : i]->AppendRecord(records[i]);
    return records;
}

} // namespace

CSlotLock CSlotLock::Claim(const QString &path, QString *why)
{
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        CSlotLock lock;
        lock.m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (lock.m_fd < 0) {
            if (why)
                *why = ErrnoText();
            return {};
        }
        if (::flock(lock.m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(std::exchange(lock.m_fd, -1));
            return {};
        }
        // Its last holder may have removed the file between the open and the
        // flock: a claim on a file no longer there is no claim.
        struct stat held = {}, named = {};
        if (::fstat(lock.m_fd, &held) == 0 && ::stat(name.constData(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            lock.m_path = path;
            return lock;
        }
        ::close(std::exchange(lock.m_fd, -1));
    }
}

CSlotLock::CSlotLock(CSlotLock &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path))
{
}

CSlotLock &CSlotLock::operator=(CSlotLock &&other) noexcept
{
    CSlotLock old(std::move(*this));
    m_fd = std::exchange(other.m_fd, -1);
    m_path = std::move(other.m_path);
    return *this;
}

CSlotLock::~CSlotLock()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so that nobody claims the file in between.
    QFile::remove(m_path);
    ::close(m_fd);
}

CCrashCopy::CCrashCopy(QString fileName, CSlotLock lock)
    : m_fileName(std::move(fileName)), m_lock(std::move(lock))
{
}

void CCrashCopy::Discard()
{
    QFile::remove(m_fileName);
    RemoveLeftovers(m_fileName);
}

QString CCrashCopy::SetAside()
{
    // Out of the pattern the orphans are looked for by, and never replaced.
    const QFileInfo info(m_fileName);
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 100; ++n) {
        const QString aside = info.dir().filePath(
            QStringLiteral("damaged-%1%2-%3").arg(stamp, n == 1 ? QString() : '-' + QString::number(n), info.fileName()));
        if (!QFileInfo::exists(aside) && QFile::rename(m_fileName, aside))
            return aside;
    }
    return {};
}

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
    if (!QDir().mkpath(folder))
        m_noSlot = QStringLiteral("Cannot make the folder %1 (%2)").arg(folder, ErrnoText());
    for (int slot = 1; slot <= Slots && m_noSlot.isEmpty() && m_fileName.isEmpty(); ++slot) {
        const QString journal = QDir(folder).filePath(SlotPrefix + QString::number(slot) + JournalSuffix);
        // A slot whose journal is still there holds an orphan to be offered;
        // looked at again once claimed, as its run may have just ended.
        if (QFileInfo::exists(journal))
            continue;
        CSlotLock lock = CSlotLock::Claim(LockFor(journal), &m_noSlot);
        if (!lock || QFileInfo::exists(journal))
            continue;
        RemoveLeftovers(journal);
        m_lock = std::move(lock);
        m_fileName = journal;
    }
    if (m_fileName.isEmpty()) {
        if (m_noSlot.isEmpty())
            m_noSlot = QStringLiteral("All %1 slots of %2 are taken").arg(Slots).arg(folder);
        return;
    }
    m_journal = std::make_unique<CJournalWriter>(m_fileName);
    m_writer = std::thread(&CRecoveryFile::Run, this);
}

CRecoveryFile::~CRecoveryFile()
{
    Stop(false);
}

std::vector<CCrashCopy> CRecoveryFile::Orphans() const
{
    std::vector<CCrashCopy> orphans;
    const QFileInfoList files = QDir(m_folder).entryInfoList({SlotPrefix + '*' + JournalSuffix},
                                                             QDir::Files, QDir::Time);
    for (const QFileInfo &file : files) {
        const QString journal = file.filePath();
        if (journal == m_fileName)
            continue;
        // Claimed first, then looked at: another program may have just
        // restored it and let go.
        CSlotLock lock = CSlotLock::Claim(LockFor(journal));
        if (lock && QFileInfo::exists(journal))
            orphans.emplace_back(journal, std::move(lock));
    }
    return orphans;
}

void CRecoveryFile::Follow(const CDesignDocument &document)
{
    // One document at a time: a new window's takes over from the last one's.
    for (const QMetaObject::Connection &connection : std::exchange(m_connections, {}))
        QObject::disconnect(connection);
    const CDesignDocument *doc = &document;
    // Each change is encoded as the shapes it brings, never the whole design
    // but for a reset, where the whole design is the change.
    const auto post = [this, doc](JournalKind kind, const Places &places, const Places &to = {}) {
        CJournalEdit edit;
        edit.kind = kind;
        edit.places = places;
        edit.to = to;
        try {
            if (kind != JournalKind::Move)
                edit.records = Records(doc->Shapes(), kind == JournalKind::Design ? nullptr : &places);
        } catch (const CDesignLimitError &) {
            edit.lost = true; // a shape no record can hold cannot be recovered either
        }
        if (kind == JournalKind::Append)
            edit.places.clear(); // they follow from the design's size
        Post(std::move(edit));
    };
    m_connections = {
        QObject::connect(doc, &CDesignDocument::ShapesAppended, doc,
                         [post](int first, int count) { post(JournalKind::Append, PlaceRange(first, count)); }),
        QObject::connect(doc, &CDesignDocument::ShapesRemoved, doc,
                         [this, doc](const Places &places) {
                             // An undone addition removes the last shapes: say just how many.
                             const auto count = static_cast<int>(places.size());
                             const auto before = static_cast<int>(doc->Shapes().size()) + count;
                             CJournalEdit edit;
                             if (places == PlaceRange(before - count, count)) {
                                 edit.kind = JournalKind::RemoveLast;
                                 edit.count = static_cast<std::uint32_t>(count);
                             } else {
                                 edit.kind = JournalKind::Remove;
                                 edit.places = places;
                             }
                             Post(std::move(edit));
                         }),
        QObject::connect(doc, &CDesignDocument::ShapesInserted, doc,
                         [post](const Places &places) { post(JournalKind::Insert, places); }),
        QObject::connect(doc, &CDesignDocument::ShapesChanged, doc,
                         [post](const Places &places) { post(JournalKind::Change, places); }),
        QObject::connect(doc, &CDesignDocument::ShapesMoved, doc,
                         [post](const Places &from, const Places &to) { post(JournalKind::Move, from, to); }),
        QObject::connect(doc, &CDesignDocument::ShapesReset, doc,
                         [post] { post(JournalKind::Design, {}); }),
    };
    // The start: the design as it is now.
    post(JournalKind::Design, {});
}

void CRecoveryFile::TakeOver(CCrashCopy &copy, const ShapeList &design)
{
    if (!m_journal)
        throw CFileException(m_noSlot);
    std::vector<QByteArray> records = Records(design, nullptr);
    const QByteArray from = QFile::encodeName(copy.FileName());
    std::unique_lock lock(m_mutex);
    // Between passes the writer waits for this lock, so the journal is this
    // thread's until it lets go.
    m_idle.wait(lock, [this] { return !m_busy; });
    // The torn last entry of a killed writer goes first: replay ignores it,
    // but it would ignore everything appended after it too. Then the copy
    // takes this journal's place in one step.
    if (::truncate(from.constData(), copy.WholeBytes()) != 0 ||
        ::rename(from.constData(), QFile::encodeName(m_fileName).constData()) != 0)
        throw CFileException(ErrnoText());
    // What is not yet written is of the design being replaced.
    m_queue.clear();
    try {
        m_journal->Adopt(std::move(records));
        SyncFolder(m_folder);
    } catch (const CFileException &) {
        // In place all the same: the writer goes on from it, or writes it
        // afresh at its next pass.
    }
    copy.Discard(); // what its run left beside it
}

void CRecoveryFile::Post(CJournalEdit edit)
{
    if (!m_journal)
        return;
    {
        const std::lock_guard guard(m_mutex);
        m_queue.push_back(std::move(edit));
        ++m_posted;
    }
    m_wake.notify_all();
}

void CRecoveryFile::Flush()
{
    if (!m_journal)
        throw CFileException(m_noSlot);
    std::unique_lock lock(m_mutex);
    const std::uint64_t target = m_posted;
    if (m_durable >= target)
        return;
    m_flushWanted = true;
    m_wake.notify_all();
    // Until a pass that began after the request is over.
    m_idle.wait(lock, [&] {
        return m_durable >= target || (!m_flushWanted && !m_busy && !m_failure.isEmpty());
    });
    if (m_durable < target)
        throw CFileException(m_failure);
}

void CRecoveryFile::Close()
{
    Stop(true);
    if (!m_fileName.isEmpty()) {
        QFile::remove(m_fileName);
        RemoveLeftovers(m_fileName);
    }
    m_lock = {};
    m_fileName.clear();
    m_journal.reset();
}

void CRecoveryFile::Stop(bool discard)
{
    for (const QMetaObject::Connection &connection : std::exchange(m_connections, {}))
        QObject::disconnect(connection);
    {
        const std::lock_guard guard(m_mutex);
        m_stop = true;
        m_discard = discard;
    }
    m_wake.notify_all();
    if (m_writer.joinable())
        m_writer.join();
}

void CRecoveryFile::Run()
{
    std::unique_lock lock(m_mutex);
    bool durable = true;
    CJournalWriter::Clock::time_point due;
    for (;;) {
        const auto ready = [this] { return !m_queue.empty() || m_flushWanted || m_stop; };
        // Asleep until there is something to write, or a sync or a retry is due.
        if (durable)
            m_wake.wait(lock, ready);
        else
            m_wake.wait_until(lock, due, ready);
        if (m_discard)
            return;
        std::vector<CJournalEdit> edits = std::exchange(m_queue, {});
        const bool now = std::exchange(m_flushWanted, false) || m_stop;
        const std::uint64_t taken = m_posted;
        m_busy = true;
        lock.unlock();

        QString failure;
        try {
            m_journal->Write(std::move(edits), now);
        } catch (const CFileException &e) {
            failure = e.Description();
        } catch (const std::bad_alloc &) {
            failure = QStringLiteral("Out of memory");
        } catch (const std::exception &e) {
            failure = QString::fromStdString(e.what());
        }
        durable = m_journal->Durable();
        due = m_journal->Due();

        lock.lock();
        m_busy = false;
        if (durable)
            m_durable = taken;
        m_failure = failure;
        m_idle.notify_all();
        if (m_stop && m_queue.empty())
            return;
    }
}
