#include "export/DesignFile.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

class tst_DesignFile : public QObject
{
    Q_OBJECT

private slots:
    void byteImages_data();
    void byteImages();
    void headerCountsShapesInSixteenBits();
    void oversizedShapeIsRefusedAndNothingWritten();
    void replacesExistingFile();

private:
    QTemporaryDir m_dir;
};

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray Double(double value)
{
    QByteArray bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8); // tests run on little-endian hosts
    return bytes;
}

std::unique_ptr<CObjectStorage> Shape(int type, std::initializer_list<PolarPoint> points)
{
    std::unique_ptr<CObjectStorage> shape;
    if (type == 1)
        shape = std::make_unique<CPolyStorage>();
    else
        shape = std::make_unique<CLineStorage>();
    for (const PolarPoint &p : points)
        shape->AddPoint(p.angle, p.radius);
    return shape;
}

const QByteArray EmptyHeader = Hex("FFE0AD0F0000FFFFFF00");

} // namespace

void tst_DesignFile::byteImages_data()
{
    QTest::addColumn<std::shared_ptr<ShapeList>>("design");
    QTest::addColumn<QByteArray>("expected");

    auto design = [](auto... shapes) {
        auto list = std::make_shared<ShapeList>();
        (list->push_back(std::move(shapes)), ...);
        return list;
    };

    QTest::newRow("empty design") << design() << EmptyHeader;

    QTest::newRow("one polygon")
        << design(Shape(1, {{0.0, 10.0}, {1.5707963267948966, 20.0}}))
        << Hex("FFE0AD0F0100FFFFFF00") + Hex("0102FFFFFF000000") + Double(0.0) + Double(10.0) +
               Double(1.5707963267948966) + Double(20.0);

    QTest::newRow("shape without vertices")
        << design(Shape(2, {})) << Hex("FFE0AD0F0100FFFFFF00") + Hex("0200FFFFFF000000");

    auto line = Shape(2, {{-1.25, 3.5}});
    line->SetFillColour(1, 2, 3);
    line->SetPenColour(4, 5, 6);
    QTest::newRow("polyline record")
        << design(std::move(line))
        << Hex("FFE0AD0F0100FFFFFF00") + Hex("0201010203040506") + Double(-1.25) + Double(3.5);

    auto wide = Shape(1, {});
    wide->SetFillColour(256 + 7, -1, 0x12345678);
    wide->SetPenColour(511, 1024, -256);
    QTest::newRow("colour components keep their low byte")
        << design(std::move(wide)) << Hex("FFE0AD0F0100FFFFFF00") + Hex("010007FF78FF0000");

    QTest::newRow("records in list order")
        << design(Shape(2, {}), Shape(1, {}), Shape(2, {}))
        << Hex("FFE0AD0F0300FFFFFF00") + Hex("0200FFFFFF000000") + Hex("0100FFFFFF000000") +
               Hex("0200FFFFFF000000");
}

void tst_DesignFile::byteImages()
{
    QFETCH(std::shared_ptr<ShapeList>, design);
    QFETCH(QByteArray, expected);
    const QString path = m_dir.filePath("design.jvf");
    ExportDesign(path, *design);
    QCOMPARE(ReadFileBytes(path).toHex(), expected.toHex());
}

void tst_DesignFile::headerCountsShapesInSixteenBits()
{
    ShapeList shapes;
    for (int i = 0; i < 0x1234; ++i)
        shapes.push_back(std::make_unique<CLineStorage>());
    const QString path = m_dir.filePath("many.jvf");
    ExportDesign(path, shapes);
    const QByteArray bytes = ReadFileBytes(path);
    QCOMPARE(bytes.size(), 10 + 0x1234 * 8);
    QCOMPARE(bytes.mid(4, 2).toHex(), QByteArray("3412"));

    // One more than the header can count is refused, not written with a wrapped count.
    shapes.resize(MaxDesignShapes);
    for (auto &s : shapes)
        if (!s)
            s = std::make_unique<CLineStorage>();
    ExportDesign(path, shapes);
    QCOMPARE(ReadFileBytes(path).mid(4, 2).toHex(), QByteArray("ffff"));
    shapes.push_back(std::make_unique<CLineStorage>());
    const QString refused = m_dir.filePath("too-many.jvf");
    QVERIFY_THROWS_EXCEPTION(CDesignLimitError, ExportDesign(refused, shapes));
    QVERIFY(!QFile::exists(refused));
}

void tst_DesignFile::oversizedShapeIsRefusedAndNothingWritten()
{
    ShapeList shapes;
    shapes.push_back(Shape(1, {}));
    for (int i = 0; i < 256; ++i)
        shapes.back()->AddPoint(0.0, i);
    const QString path = m_dir.filePath("oversized.jvf");
    WriteFileBytes(path, "old content");
    QVERIFY_THROWS_EXCEPTION(CDesignLimitError, ExportDesign(path, shapes));
    QCOMPARE(ReadFileBytes(path), QByteArray("old content"));

    shapes.back() = Shape(2, {});
    for (int i = 0; i < 255; ++i)
        shapes.back()->AddPoint(0.0, i);
    ExportDesign(path, shapes);
    QCOMPARE(ReadFileBytes(path).size(), 10 + 8 + 255 * 16);
    QCOMPARE(static_cast<unsigned char>(ReadFileBytes(path).at(11)), 255);
}

void tst_DesignFile::replacesExistingFile()
{
    const QString path = m_dir.filePath("replace.jvf");
    WriteFileBytes(path, QByteArray(1000, 'x'));
    ExportDesign(path, {});
    QCOMPARE(ReadFileBytes(path), EmptyHeader);
}

QTEST_MAIN(tst_DesignFile)
#include "tst_designfile.moc"
