// Reading design files back: every malformed file refused with what is wrong
// and where, good files read exactly, and mutated files never crashing.
#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QTest>

#include <optional>
#include <random>

class tst_DesignReader : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void refusesMalformedFiles_data();
    void refusesMalformedFiles();
    void readsGoodDesignsExactly();
    void mutatedFilesReadOrAreRefused();
};

static QByteArray Record(char type, unsigned char vertices)
{
    QByteArray record = QByteArray(1, type) + char(vertices) + QByteArray::fromHex("0A0BFC F0F1F2");
    for (int i = 0; i < vertices; ++i)
        record += Le(i - 0.5) + Le(i * 1e300);
    return record;
}

// Records at bytes 10 (2 vertices), 50 (none) and 58 (200); 3266 bytes in all.
static const QByteArray Good =
    QByteArray::fromHex("FFE0AD0F 0300 FFFFFF00") + Record(1, 2) + Record(2, 0) + Record(1, 200);

// Good with the bytes from at on replaced by b.
static QByteArray With(int at, const QByteArray &b) { return QByteArray(Good).replace(at, b.size(), b); }

// Each case is named by the message it must give.
void tst_DesignReader::refusesMalformedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("path"); // read instead of the bytes; "nobody": them, unreadable
    const auto row = [](const QByteArray &bytes, const QString &message, const QString &path = {}) {
        QTest::newRow(qPrintable(message)) << bytes << path;
    };
    const QString r3 = "Record 3 at byte 58: ";
    row({}, "The file is empty.");
    row(Good.left(9), "The file is 9 bytes long; a design file begins with a 10-byte header.");
    row(With(3, "\x0E"), "Byte 0: the file does not begin with the design file mark FF E0 AD 0F.");
    row(With(9, "\x01"), "Byte 6: the header ends with FF FF FF 01 instead of FF FF FF 00.");
    row(With(58, "\x03"), r3 + "type 3 is neither 1 (polygon) nor 2 (polyline).");
    row(With(59, "\xC9"), r3 + "the file ends after 200 of the record's 201 vertices.");
    row(Good.left(3265), r3 + "the file ends after 199 of the record's 200 vertices.");
    row(Good.left(57), "Record 2 at byte 50: the file ends inside the record's 8-byte header.");
    row(With(4, "\x04"), "The header counts 4 records, but the file ends after 3.");
    row(With(4, QByteArray(1, 0)), "Byte 10: the file goes on after the header, which counts no records.");
    row(Good + '\0', "Byte 3266: the file goes on after the last of the 3 records the header counts.");
    row(With(114, Le(qQNaN())), r3 + "the angle of vertex 4 is not a finite number.");
    row(With(3258, Le(-qInf())), r3 + "the radius of vertex 200 is not a finite number.");
    row({}, "It is a folder.", m_dir.path());
    row({}, "Byte 0: the file could not be read (Input/output error).", "/proc/self/mem");
    row(Good, "Permission denied.", "nobody");
}

void tst_DesignReader::refusesMalformedFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, path);
    const QString file = m_dir.filePath(QTest::currentDataTag());
    WriteFileBytes(file, bytes);
    std::optional<CUnprivileged> user;
    if (path == "nobody") { // root reads any file: read as nobody, who may pass the folder
        QVERIFY(QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(file, {}));
        user.emplace();
    }
    try {
        ReadDesign(user || path.isEmpty() ? file : path);
        QFAIL("The file was read without an error.");
    } catch (const CDesignReadError &error) {
        QCOMPARE(error.what(), QTest::currentDataTag());
    }
}

void tst_DesignReader::readsGoodDesignsExactly()
{
    const QString first = m_dir.filePath("first.jvf"), second = m_dir.filePath("second.jvf");
    WriteFileBytes(first, Good);
    QList<int> fields;
    QByteArray points;
    for (const auto &shape : ReadDesign(first)) {
        const ShapeColour fill = shape->FillColour(), pen = shape->PenColour();
        fields << shape->Type() << shape->PointCount() << fill.red << fill.green << fill.blue
               << pen.red << pen.green << pen.blue;
        for (const PolarPoint &point : shape->Points())
            points += Le(point.angle) + Le(point.radius);
    }
    QCOMPARE(fields, QList<int>({1, 2, 10, 11, 252, 240, 241, 242, 2, 0, 10, 11, 252, 240, 241, 242,
                                 1, 200, 10, 11, 252, 240, 241, 242}));
    QCOMPARE(points.toHex(), (Good.mid(18, 32) + Good.mid(66)).toHex()); // bit for bit

    // Random designs the program wrote, read and written again, are the same. 300 shapes of
    // up to 255 vertices make files of about 600 KB, read in several chunks.
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> any(-1e300, 1e300);
    for (const int count : {0, 1, 300, 300, 300}) {
        ShapeList shapes(count);
        for (auto &shape : shapes) {
            shape.reset(random() % 2 ? static_cast<CObjectStorage *>(new CPolyStorage) : new CLineStorage);
            shape->SetFillColour(random() % 256, random() % 256, random() % 256);
            shape->SetPenColour(random() % 256, random() % 256, random() % 256);
            for (auto n = random() % 256; n > 0; --n)
                shape->AddPoint(any(random), any(random));
        }
        ExportDesign(first, shapes);
        ExportDesign(second, ReadDesign(first));
        QCOMPARE(ReadFileBytes(second), ReadFileBytes(first));
    }
}

void tst_DesignReader::mutatedFilesReadOrAreRefused()
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 100000; ++i) {
        QByteArray bytes = i % 2 ? Good : With(4, "\x01").left(50); // the one record
        const qsizetype at = random() % bytes.size();
        switch (random() % 4) {
        case 0: bytes[at] = char(bytes[at] ^ (1 << random() % 8)); break;
        case 1: bytes.insert(at, char(random())); break;
        case 2: bytes.remove(at, 1 + random() % 16); break;
        default: bytes.truncate(at);
        }
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        try {
            qsizetype size = 10; // the header, then every record whole: no byte skipped
            for (const auto &shape : ReadDesign(buffer))
                size += 8 + 16 * shape->PointCount();
            QCOMPARE(size, bytes.size());
        } catch (const CDesignReadError &) { // anything else thrown fails the test
        }
    }
}

QTEST_GUILESS_MAIN(tst_DesignReader)
#include "tst_reader.moc"
