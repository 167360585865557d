#include "platform/SettingsStore.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void textsComeBackAsWritten_data();
    void textsComeBackAsWritten();
    void handEditedListReadsAsItsText();
};

void tst_SettingsStore::textsComeBackAsWritten_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty, not missing") << "";
    QTest::newRow("surrounding spaces") << "  12  ";
    QTest::newRow("commas") << "1, 2,3";
    QTest::newRow("typed-variant lookalike") << "@Variant(\\0\\0\\0\\x2)";
    QTest::newRow("INI syntax") << "[Section]\n;comment\nkey=value #x";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Farbe \xc3\xa4 \xe2\x82\xac");
}

void tst_SettingsStore::textsComeBackAsWritten()
{
    QFETCH(QString, text);
    const TempSettings settings;
    CSettingsStore().Write("Background", "0", text);

    QVERIFY(QFile::exists(settings.IniFile()));
    const QString read = CSettingsStore().Read("Background", "0", "default");
    QCOMPARE(read, text);
}

void tst_SettingsStore::handEditedListReadsAsItsText()
{
    const TempSettings settings;
    QDir().mkpath(QFileInfo(settings.IniFile()).path());
    WriteFileBytes(settings.IniFile(), "[Settings]\nScale=1,5\n");
    QCOMPARE(CSettingsStore().Read("Settings", "Scale"), QString("1, 5"));
}

QTEST_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
