#pragma once

#include "export/Journal.h"

#include <QMetaObject>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CDesignDocument;

// A claim on a slot of the recovery folder through its lock file. flock()
// and not QLockFile: the kernel drops the claim when the program ends,
// however it ends, where QLockFile guesses from a process id that a zombie,
// a reused id or a lock file cut short by the kill can mislead.
class CSlotLock
{
public:
    CSlotLock() = default;
    // Claims the lock file at path, creating it when needed; an empty lock
    // when another program holds it, or when it cannot be made (why says why).
    static CSlotLock Claim(const QString &path, QString *why = nullptr);
    CSlotLock(CSlotLock &&other) noexcept;
    CSlotLock &operator=(CSlotLock &&other) noexcept;
    // Lets go and removes the lock file: no lock files pile up.
    ~CSlotLock();

    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd = -1;
    QString m_path;
};

// The journal of a run that did not end normally, claimed by this program
// while the object lives, so that no other program offers it meanwhile.
class CCrashCopy
{
public:
    CCrashCopy(QString fileName, CSlotLock lock);

    QString FileName() const { return m_fileName; }
    // The design the user last saw in that run; throws as ReplayJournal.
    ShapeList Replay() { return ReplayJournal(m_fileName, &m_whole); }
    // The length of its whole entries, as of the last Replay; -1 before.
    qint64 WholeBytes() const { return m_whole; }
    // Removes the copy for good.
    void Discard();
    // Renames a copy that is no journal, or a damaged one, so that it is not
    // offered again; returns the new name, empty when it could not be renamed.
    QString SetAside();

private:
    QString m_fileName;
    CSlotLock m_lock;
    qint64 m_whole = -1;
};

// A copy of the design on disk, as a journal of its changes written on a
// thread of its own: a crash loses at most the last second, and the editing
// never waits for the disk.
//
// Each running program holds a slot of the recovery folder: a lock file and
// its journal. A journal whose lock nobody holds was left by a run that did
// not end normally.
class CRecoveryFile
{
public:
    // <XDG state home>/Marbrel/vortigram.
    static QString DefaultFolder();

    // Takes a free slot of the folder, creating the folder when needed.
    explicit CRecoveryFile(const QString &folder = DefaultFolder());
    // Finishes the pending write; the file stays, as after a crash, unless
    // Close() removed it.
    ~CRecoveryFile();
    CRecoveryFile(const CRecoveryFile &) = delete;
    CRecoveryFile &operator=(const CRecoveryFile &) = delete;

    // This program's journal; empty when no slot could be taken.
    QString FileName() const { return m_fileName; }
    // The journals of runs that are not running any more, newest first,
    // each claimed for this program until it goes.
    std::vector<CCrashCopy> Orphans() const;

    // Keeps the journal equal to the document from now on.
    void Follow(const CDesignDocument &document);
    // The crash copy, replayed to design, becomes this program's journal,
    // which the next reset of the document is to make design: renamed into
    // this slot rather than written afresh beside it, so that a crash at any
    // moment leaves exactly one copy of that design. Throws CFileException
    // when it cannot be moved, and the copy stays.
    void TakeOver(CCrashCopy &copy, const ShapeList &design);
    // Until everything handed to the writer is on disk and synced; throws
    // CFileException saying why when it could not be written.
    void Flush();
    // The normal end of the run: the file goes and the slot is free.
    void Close();

private:
    void Post(CJournalEdit edit);
    void Run();
    void Stop(bool discard);

    QString m_folder;
    QString m_fileName;
    QString m_noSlot; // why no slot could be taken
    CSlotLock m_lock;
    std::vector<QMetaObject::Connection> m_connections;
    std::unique_ptr<CJournalWriter> m_journal; // the writer thread's

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::vector<CJournalEdit> m_queue;
    std::uint64_t m_posted = 0;  // edits handed to the writer
    std::uint64_t m_durable = 0; // of which on disk and synced
    QString m_failure;           // why the writer's last pass failed
    bool m_flushWanted = false;
    bool m_busy = false;
    bool m_stop = false;
    bool m_discard = false;
    std::thread m_writer;
};
