// When the disk says no: Generate onto a full disk, into a read-only folder or
// onto a folder, and settings that cannot be saved. Nothing that was there may
// change, and the user is told the platform's reason.
#include "editor/PatternDlg.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>

class tst_Faults : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void generate_data();
    void generate();
    void settings_data();
    void settings();

private:
    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<ScriptedSeam> m_seam;
};

void tst_Faults::init()
{
    m_settings = std::make_unique<TempSettings>();
    m_seam = std::make_unique<ScriptedSeam>();
}

void tst_Faults::cleanup()
{
    m_seam.reset();
    m_settings.reset();
}

void tst_Faults::generate_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("shapes"); // of 49 vertices, 792 bytes each
    QTest::addColumn<int>("room");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no fault") << "" << 40 << 0 << "";
    QTest::newRow("full disk, small design") << "disk" << 2 << 0 << "No space left on device";
    QTest::newRow("full disk, design beyond the write buffer") << "disk" << 40 << 0 << "No space left on device";
    QTest::newRow("disk filling part-way") << "disk" << 40 << 4096 << "No space left on device";
    QTest::newRow("read-only folder") << "read-only" << 2 << 0 << "Permission denied";
    QTest::newRow("a folder's path") << "folder" << 2 << 0 << "is a folder.";
}

void tst_Faults::generate()
{
    QFETCH(QString, fault);
    QFETCH(int, shapes);
    QFETCH(int, room);
    QFETCH(QString, reason);
    const QString folder = m_settings->Path() + "/designs";
    CSmallDisk disk(folder);
    if (fault == "disk" && !disk.Why().isEmpty())
        QSKIP(qPrintable(disk.Why()));
    const QByteArray old("an earlier design\0\xff", 19);
    WriteFileBytes(folder + "/d.jvf", old);
    QDir().mkpath(folder + "/inner");
    CPatternDlg window;
    ShapeList design;
    for (int s = 0; s < shapes; ++s)
        design.push_back(MakeShape(1 + s % 2, std::vector<PolarPoint>(49, PolarPoint{0.1 * s, 10.0 + s})));
    window.Document().AddShapes(std::move(design));
    m_seam->files = {folder + (fault == "folder" ? "/inner" : "/d.jvf")};
    if (fault == "disk")
        disk.Fill(room);
    if (fault == "read-only") {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        const CUnprivileged user;
        QVERIFY(!window.OnGenerate());
    } else {
        QCOMPARE(window.OnGenerate(), fault.isEmpty());
    }
    QFile::remove(folder + "/filler");
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"d.jvf", "inner"}));
    if (fault.isEmpty()) {
        QCOMPARE(ReadFileBytes(folder + "/d.jvf").size(), 10 + shapes * 792);
        QVERIFY(!window.Document().IsModified());
        return;
    }
    QCOMPARE(ReadFileBytes(folder + "/d.jvf"), old);
    QCOMPARE(m_seam->texts.size(), 1);
    QVERIFY2(m_seam->texts[0].startsWith("Problem opening file!\n") && m_seam->texts[0].endsWith(reason),
             qPrintable(m_seam->texts[0]));
    QVERIFY(window.Document().IsModified());
}

void tst_Faults::settings_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only folder") << "read-only" << "Permission denied";
    QTest::newRow("full disk") << "disk" << "No space left on device";
}

void tst_Faults::settings()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);
    const QString folder = m_settings->Path() + "/Marbrel";
    CSmallDisk disk(folder);
    if (fault == "disk" && !disk.Why().isEmpty())
        QSKIP(qPrintable(disk.Why()));
    const QByteArray old = "[Settings]\nScale=3.000000\n";
    m_settings->WriteIni(old);
    CPatternDlg window;
    window.show();
    window.ScaleField().setText("2");
    window.OnApplyScale();
    m_seam->answers = {QMessageBox::Retry, QMessageBox::Discard}; // try again, then close anyway
    if (fault == "disk") {
        disk.Fill(0);
        window.close();
    } else {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        const CUnprivileged user;
        window.close();
    }
    QVERIFY(!window.isVisible());
    QCOMPARE(m_seam->texts.size(), 2);
    QVERIFY2(m_seam->texts[1].startsWith("The settings could not be saved to " + m_settings->IniFile()) &&
                 m_seam->texts[1].endsWith(reason), qPrintable(m_seam->texts[1]));
    QCOMPARE(ReadFileBytes(m_settings->IniFile()), old);
}

QTEST_MAIN(tst_Faults)
#include "tst_faults.moc"
