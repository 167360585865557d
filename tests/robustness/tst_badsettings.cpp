// The editor window started on a settings file that is garbage, binary,
// full of extreme numbers, enormous, missing or unreadable: it must start,
// take what the rules of the colour lists and the scale give, and leave a
// clean file behind when it is closed.
#include "robustness/Unprivileged.h"

#include "editor/PatternDlg.h"
#include "palette/ColourComboBox.h"
#include "platform/SystemPalette.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <iomanip>
#include <limits>
#include <locale>
#include <sstream>
#include <random>

class tst_BadSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startsAndSavesCleanly_data();
    void startsAndSavesCleanly();
};

namespace {

constexpr int Min32 = std::numeric_limits<std::int32_t>::min();
constexpr int Max32 = std::numeric_limits<std::int32_t>::max();

enum class Store
{
    File,       // the bytes given
    Missing,    // no file at all
    Unreadable, // a file the user may not read
    Folder,     // a folder where the file should be
};

QList<int> Defaults()
{
    QList<int> colours;
    for (const std::uint32_t c : DefaultPaletteColours())
        colours.append(static_cast<int>(c));
    return colours;
}

QList<int> Colours(const CColourComboBox &combo)
{
    QList<int> colours;
    for (int i = 0; i < combo.ColourCount(); ++i)
        colours.append(combo.ColourAt(i));
    return colours;
}

QByteArray RandomBytes(std::uint32_t seed, int size)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(size, '\0');
    for (char &b : bytes)
        b = static_cast<char>(byte(random));
    return bytes;
}

QByteArray Section(const char *name, const QList<int> &colours)
{
    QByteArray text = QByteArray("[") + name + "]\n";
    for (qsizetype i = 0; i < colours.size(); ++i)
        text += QByteArray::number(i) + '=' + QByteArray::number(colours[i]) + '\n';
    return text;
}

// Every line a section header, a key=value pair or empty, in printable text.
bool WellFormed(const QByteArray &file, QByteArray &offending)
{
    for (const QByteArray &line : file.split('\n')) {
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                offending = line;
                return false;
            }
        }
        const bool header = line.startsWith('[') && line.endsWith(']');
        if (!line.isEmpty() && !header && !line.contains('=')) {
            offending = line;
            return false;
        }
    }
    return true;
}

// The file's entries, read straight from its text: section/entry to value.
QMap<QString, QString> ParseIni(const QByteArray &file)
{
    QMap<QString, QString> entries;
    QString section;
    for (const QByteArray &line : file.split('\n')) {
        if (line.startsWith('[') && line.endsWith(']')) {
            section = QString::fromUtf8(line.mid(1, line.size() - 2));
        } else if (const qsizetype equals = line.indexOf('='); equals > 0) {
            entries.insert(section + '/' + QString::fromUtf8(line.left(equals)),
                           QString::fromUtf8(line.mid(equals + 1)));
        }
    }
    return entries;
}

void AddSection(QMap<QString, QString> &entries, const QString &section, const QList<int> &colours)
{
    for (qsizetype i = 0; i < colours.size(); ++i)
        entries.insert(section + '/' + QString::number(i), QString::number(colours[i]));
}

// C's "%f" in the C locale.
QString PrintfF(double value)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << std::fixed << std::setprecision(6) << value;
    return QString::fromStdString(text.str());
}

} // namespace

void tst_BadSettings::initTestCase()
{
    // Fonts and styles load with the first window; have that done with the
    // tests' own rights before any window starts as another user.
    const TempSettings settings;
    CPatternDlg warmUp;
    warmUp.show();
    QVERIFY(QTest::qWaitForWindowExposed(&warmUp));
}

void tst_BadSettings::startsAndSavesCleanly_data()
{
    QTest::addColumn<Store>("store");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<int>>("background");
    QTest::addColumn<QList<int>>("foreground");
    QTest::addColumn<double>("scale");

    const QList<int> defaults = Defaults();
    const QByteArray valid = "[Background]\n0=1\n[Foreground]\n0=2\n[Settings]\nScale=5\n";

    QTest::newRow("missing file") << Store::Missing << QByteArray() << defaults << defaults << 1.0;
    QTest::newRow("unreadable file") << Store::Unreadable << valid << defaults << defaults << 1.0;
    QTest::newRow("folder in place of the file")
        << Store::Folder << QByteArray() << defaults << defaults << 1.0;
    QTest::newRow("text garbage, scale outside its section")
        << Store::File << QByteArray("}{ not settings\n===\n[\n]]]=[[[\nScale=7\n\\\\\\\n[Settings\n")
        << defaults << defaults << 1.0;
    QTest::newRow("random binary bytes")
        << Store::File << RandomBytes(7, 16384) << defaults << defaults << 1.0;
    QTest::newRow("binary bytes after good sections")
        << Store::File << valid + RandomBytes(9, 8192).replace('[', '(') << QList<int>{1}
        << QList<int>{2} << 5.0;
    QTest::newRow("huge and negative numbers")
        << Store::File
        << QByteArray("[Background]\n0=99999999999999999999999999\n1=-99999999999999999999999999\n"
                      "2=-1\n3=-2147483648\n4=2147483648\n5=   +77\n"
                      "[Foreground]\n0=-0\n1=4294967295\n[Settings]\nScale=-1e308\n")
        << QList<int>{Max32, Min32, -1, Min32, Max32, 77} << QList<int>{0, Max32} << -1e308;
    QTest::newRow("scale too large for a double")
        << Store::File << QByteArray("[Background]\n0=5\n1=\n2=6\n[Settings]\nScale=1e999\n")
        << QList<int>{5} << defaults << 1.0;
    QTest::newRow("scale too small for a double")
        << Store::File << QByteArray("[Settings]\nScale=1e-400\n") << defaults << defaults << 1.0;
    QTest::newRow("scale not a number")
        << Store::File << QByteArray("[Settings]\nScale=nan\n") << defaults << defaults << 1.0;
    QTest::newRow("scale with trailing junk")
        << Store::File << QByteArray("[Settings]\nScale=  -2.5e1junk\n") << defaults << defaults
        << -25.0;

    QList<int> many;
    QList<int> negative;
    for (int i = 0; i < 100000; ++i) {
        many.append(i * 167 % 16777216);
        negative.append(-i);
    }
    QTest::newRow("100,000 entries")
        << Store::File
        << Section("Background", many) + Section("Foreground", negative) + "[Settings]\nScale=3\n"
        << many << negative << 3.0;
}

void tst_BadSettings::startsAndSavesCleanly()
{
    QFETCH(Store, store);
    QFETCH(QByteArray, content);
    QFETCH(QList<int>, background);
    QFETCH(QList<int>, foreground);
    QFETCH(double, scale);

    const TempSettings settings;
    const QString file = settings.IniFile();
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    switch (store) {
    case Store::Missing:
        break;
    case Store::File:
        WriteFileBytes(file, content);
        QCOMPARE(QFileInfo(file).size(), content.size());
        break;
    case Store::Unreadable:
        WriteFileBytes(file, content);
        QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
        // The user reaches the folder, but not the file's content.
        for (QString dir = QFileInfo(file).path(); dir.startsWith(settings.Path());
             dir = QFileInfo(dir).path())
            QFile::setPermissions(dir, QFile::permissions(dir) | QFileDevice::ExeOther |
                                           QFileDevice::ReadOther);
        break;
    case Store::Folder:
        QVERIFY(QDir().mkpath(file));
        break;
    }

    std::unique_ptr<CPatternDlg> window;
    if (store == Store::Unreadable) {
        const CUnprivileged user;
        QVERIFY(user.Enforced());
        QVERIFY(!QFile(file).open(QIODevice::ReadOnly));
        window = std::make_unique<CPatternDlg>();
    } else {
        window = std::make_unique<CPatternDlg>();
    }
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QCOMPARE(Colours(window->Background()), background);
    QCOMPARE(Colours(window->Foreground()), foreground);
    QCOMPARE(window->Background().SelectedIndex(), 0);
    QCOMPARE(window->Foreground().SelectedIndex(), 0);
    QCOMPARE(window->Scale(), scale);

    window->close(); // the close box: saves the lists and the scale
    QVERIFY(!window->isVisible());
    window.reset();

    if (store == Store::Folder) {
        // Nothing can be written there; nothing must break either.
        QVERIFY(QFileInfo(file).isDir());
        return;
    }

    const QByteArray saved = ReadFileBytes(file);
    QByteArray offending;
    QVERIFY2(WellFormed(saved, offending), offending.toPercentEncoding().constData());
    // Exactly what the program holds, and nothing else.
    QMap<QString, QString> expected;
    AddSection(expected, QStringLiteral("Background"), background);
    AddSection(expected, QStringLiteral("Foreground"), foreground);
    expected.insert(QStringLiteral("Settings/Scale"), PrintfF(scale));
    QCOMPARE(ParseIni(saved), expected);

    // And the next start reads back exactly what was saved.
    CPatternDlg next;
    QCOMPARE(Colours(next.Background()), background);
    QCOMPARE(Colours(next.Foreground()), foreground);
    QCOMPARE(next.Scale(), PrintfF(scale).toDouble());
}

QTEST_MAIN(tst_BadSettings)
#include "tst_badsettings.moc"
