// Generate when the file system says no: a disk that fills up part-way, a
// read-only folder, a path that is a folder. Each must show the file error
// and leave whatever was there before exactly as it was.
#include "robustness/Unprivileged.h"

#include "editor/PatternDlg.h"
#include "export/DesignFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

class tst_ExportFaults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void generateKeepsWhatWasThere_data();
    void generateKeepsWhatWasThere();

private:
    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<ScriptedSeam> m_seam;
};

namespace {

enum class Fault
{
    None,
    DiskFull,
    ReadOnlyFolder,
    PathIsFolder,
};

// Room the "disk" has left: far less than the design needs.
constexpr rlim_t DiskRoom = 4096;

// A kernel limit on the size of files this process writes: a write that
// crosses it stops part-way and the next fails, as on a full disk.
class CFullDisk
{
public:
    CFullDisk()
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit tight = m_old;
        tight.rlim_cur = DiskRoom;
        m_active = setrlimit(RLIMIT_FSIZE, &tight) == 0;
    }
    ~CFullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    CFullDisk(const CFullDisk &) = delete;
    CFullDisk &operator=(const CFullDisk &) = delete;
    bool Active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

ShapeList Design()
{
    ShapeList shapes;
    for (int s = 0; s < 40; ++s) {
        std::unique_ptr<CObjectStorage> shape;
        if (s % 2)
            shape = std::make_unique<CLineStorage>();
        else
            shape = std::make_unique<CPolyStorage>();
        for (int i = 0; i < 49; ++i)
            shape->AddPoint(0.1 * i + s, 10.0 + i);
        shapes.push_back(std::move(shape));
    }
    return shapes;
}

// Everything below a folder, path and content, to see that nothing moved.
QMap<QString, QByteArray> Snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QFileInfo &info :
         dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (info.isDir()) {
            const auto inner = Snapshot(info.filePath());
            for (auto it = inner.begin(); it != inner.end(); ++it)
                files.insert(info.fileName() + "/" + it.key(), it.value());
            files.insert(info.fileName() + "/", QByteArray());
        } else {
            files.insert(info.fileName(), ReadFileBytes(info.filePath()));
        }
    }
    return files;
}

} // namespace

void tst_ExportFaults::init()
{
    m_settings = std::make_unique<TempSettings>();
    m_seam = std::make_unique<ScriptedSeam>();
}

void tst_ExportFaults::cleanup()
{
    m_seam.reset();
    m_settings.reset();
}

void tst_ExportFaults::generateKeepsWhatWasThere_data()
{
    QTest::addColumn<Fault>("fault");
    // The same set-up without a fault must export, or the other rows prove nothing.
    QTest::newRow("no fault") << Fault::None;
    QTest::newRow("disk full part-way") << Fault::DiskFull;
    QTest::newRow("read-only folder") << Fault::ReadOnlyFolder;
    QTest::newRow("path is a folder") << Fault::PathIsFolder;
}

void tst_ExportFaults::generateKeepsWhatWasThere()
{
    QFETCH(Fault, fault);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    // The unprivileged user must reach the folder to be refused by it.
    QFile::setPermissions(root.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                           QFileDevice::ExeOther);
    const QString folder = root.filePath(QStringLiteral("designs"));
    QVERIFY(QDir().mkpath(folder));
    static const char earlier[] = "an earlier design, kept byte for byte\0\xff\x01";
    const QByteArray oldDesign(earlier, sizeof earlier - 1);
    QString target = folder + QStringLiteral("/pattern.JVF");
    WriteFileBytes(target, oldDesign);
    if (fault == Fault::PathIsFolder) {
        target = folder + QStringLiteral("/inner");
        QVERIFY(QDir().mkpath(target));
        WriteFileBytes(target + QStringLiteral("/inside.JVF"), "inside the folder");
    }
    const QMap<QString, QByteArray> before = Snapshot(folder);

    CPatternDlg window;
    for (auto &shape : Design())
        window.AddShape(std::move(shape));
    m_seam->fileAnswers.push_back(target);

    switch (fault) {
    case Fault::None:
    case Fault::PathIsFolder:
        window.OnGenerate();
        break;
    case Fault::DiskFull: {
        const CFullDisk full;
        QVERIFY(full.Active());
        window.OnGenerate();
        break;
    }
    case Fault::ReadOnlyFolder: {
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther));
        {
            const CUnprivileged user;
            QVERIFY(user.Enforced());
            window.OnGenerate();
        }
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
        break;
    }
    }

    if (fault == Fault::None) {
        QVERIFY2(m_seam->messages.isEmpty(),
                 qPrintable(m_seam->messages.value(0).text));
        const QString reference = root.filePath(QStringLiteral("reference.JVF"));
        ExportDesign(reference, window.Shapes());
        QCOMPARE(ReadFileBytes(target), ReadFileBytes(reference));
        return;
    }

    QCOMPARE(m_seam->messages.size(), 1);
    const ScriptedSeam::Shown shown = m_seam->messages.first();
    QCOMPARE(shown.caption, QCoreApplication::applicationName());
    QVERIFY2(shown.text.startsWith(QStringLiteral("Problem opening file!\n")),
             qPrintable(shown.text));
    const QString description = shown.text.mid(QStringLiteral("Problem opening file!\n").size());
    QVERIFY2(!description.trimmed().isEmpty(), "the error gives no reason");
    QVERIFY(description.size() <= 255);
    // Nothing created, replaced, truncated or left behind.
    QCOMPARE(Snapshot(folder), before);
    QCOMPARE(window.Shapes().size(), std::size_t{40});
}

QTEST_MAIN(tst_ExportFaults)
#include "tst_exportfaults.moc"
