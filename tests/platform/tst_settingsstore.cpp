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
    void missingEntriesReadAsDefault();
    void removeSectionForgetsOnlyThatSection();
    void handEditedListReadsAsItsText();
};

void tst_SettingsStore::textsComeBackAsWritten_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("number") << "-16777215";
    QTest::newRow("empty") << "";
    QTest::newRow("surrounding spaces") << "  12  ";
    QTest::newRow("commas") << "1, 2,3";
    QTest::newRow("typed-variant lookalike") << "@Variant(\\0\\0\\0\\x2)";
    QTest::newRow("INI syntax") << "[Section]\n;comment\nkey=value #x";
    QTest::newRow("quotes and backslashes") << "\"a\\b\"";
    QTest::newRow("boolean word") << "true";
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

void tst_SettingsStore::missingEntriesReadAsDefault()
{
    const TempSettings settings;
    CSettingsStore store;
    store.Write("Background", "0", "5");
    QCOMPARE(store.Read("Background", "1", "none"), QString("none"));
    QCOMPARE(store.Read("Foreground", "0", "none"), QString("none"));
    QCOMPARE(store.Read("Background", "1"), QString());
    QCOMPARE(store.Read("Background", "0", "none"), QString("5"));
}

void tst_SettingsStore::removeSectionForgetsOnlyThatSection()
{
    const TempSettings settings;
    {
        CSettingsStore store;
        for (const char *entry : {"0", "1", "2"})
            store.Write("Background", entry, "7");
        store.Write("Foreground", "0", "8");
        store.Write("Settings", "Scale", "2");
    }
    CSettingsStore().RemoveSection("Background");

    const CSettingsStore store;
    for (const char *entry : {"0", "1", "2"})
        QCOMPARE(store.Read("Background", entry, "gone"), QString("gone"));
    QCOMPARE(store.Read("Foreground", "0"), QString("8"));
    QCOMPARE(store.Read("Settings", "Scale"), QString("2"));
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
