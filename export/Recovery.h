#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class CDesignDocument;
class QLockFile;

// A copy of the design on disk, as a design file rewritten after every
// change on a thread of its own, so that a crash loses at most the shape being
// entered and the editing never waits for the disk.
//
// Each running program holds a slot of the recovery folder: a lock file and
// its recovery file. A recovery file whose lock nobody holds was left by a run
// that did not end normally.
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

    // This program's recovery file; empty when no slot could be taken.
    QString FileName() const { return m_fileName; }
    // Recovery files of runs that are not running any more, newest first.
    QStringList Orphans() const;
    // Removes a recovery file that is not this program's.
    static void Discard(const QString &orphan);

    // Keeps the file equal to the document from now on.
    void Follow(const CDesignDocument &document);
    // Until everything handed to the writer is on disk.
    void Flush();
    // The normal end of the run: the file goes and the slot is free.
    void Close();

private:
    using Chunk = std::shared_ptr<const QByteArray>;
    struct Snapshot
    {
        std::vector<Chunk> records;
        std::size_t count = 0;
    };

    void Encode(const CDesignDocument &document, std::size_t first);
    void Post();
    void Run();
    void Write(const Snapshot &snapshot) const;

    QString m_folder;
    QString m_fileName;
    std::unique_ptr<QLockFile> m_lock;
    Snapshot m_design; // the records of the design, as the document last changed

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Snapshot> m_pending;
    bool m_writing = false;
    bool m_stop = false;
    std::thread m_writer;
};
