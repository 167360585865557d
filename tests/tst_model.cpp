// The design model: drawing, colours, records and the design file, copies
// around the centre, and the document's undo history.
#include "export/DesignFile.h"
#include "model/Copies.h"
#include "model/DesignDocument.h"
#include "model/DrawMapping.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using Points = std::vector<PolarPoint>;

class tst_Model : public QObject
{
    Q_OBJECT

private slots:
    void mapping_data();
    void mapping();
    void drawing();
    void colours();
    void designBytes_data();
    void designBytes();
    void copies_data();
    void copies();
    void undoRedo();
};

void tst_Model::mapping_data()
{
    QTest::addColumn<PolarPoint>("point");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("rotation");
    QTest::addColumn<QPoint>("expected"); // centre (100, 200)
    QTest::newRow("up") << PolarPoint{0, 10} << 1.0 << 0.0 << QPoint(100, 190);
    QTest::newRow("right") << PolarPoint{Pi / 2, 10} << 1.0 << 0.0 << QPoint(110, 200);
    QTest::newRow("scale 2") << PolarPoint{0, 10} << 2.0 << 0.0 << QPoint(100, 180);
    QTest::newRow("negative scale") << PolarPoint{0, 10} << -1.0 << 0.0 << QPoint(100, 210);
    QTest::newRow("rotation pi") << PolarPoint{0, 10} << 1.0 << Pi << QPoint(100, 210);
    QTest::newRow("clockwise") << PolarPoint{0, 10} << 1.0 << Pi / 2 << QPoint(110, 200);
    QTest::newRow("truncates up right") << PolarPoint{Pi / 4, 10} << 1.0 << 0.0 << QPoint(107, 193);
    QTest::newRow("truncates down left") << PolarPoint{-3 * Pi / 4, 10} << 1.0 << 0.0 << QPoint(93, 207);
    QTest::newRow("far point stays on its ray") << PolarPoint{Pi / 2, 1e20} << 1.0 << 0.0 << QPoint(100 + (1 << 24), 200);
}

void tst_Model::mapping()
{
    QFETCH(PolarPoint, point);
    QFETCH(double, scale);
    QFETCH(double, rotation);
    QFETCH(QPoint, expected);
    QCOMPARE(MapToScreen(point, scale, rotation, 100, 200), expected);
}

void tst_Model::drawing()
{
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // A square around (50, 50), an open triangle around (150, 50), and a
    // polyline whose 51st vertex would reach (179, 179).
    MakeShape(1, {{-Pi / 4, 28.3}, {Pi / 4, 28.3}, {3 * Pi / 4, 28.3}, {5 * Pi / 4, 28.3}},
              {255, 0, 0}, {0, 0, 255})->Draw(painter, 1.0, 0.0, 50, 50);
    MakeShape(2, {{0, 30}, {2 * Pi / 3, 30}, {4 * Pi / 3, 30}}, {255, 0, 0})->Draw(painter, 1.0, 0.0, 150, 50);
    Points many(50, PolarPoint{0, 0});
    many.push_back({3 * Pi / 4, 42});
    MakeShape(2, many)->Draw(painter, 1.0, 0.0, 150, 150);
    MakeShape(1, {})->Draw(painter, 1.0, 0.0, 100, 100);
    painter.end();
    QCOMPARE(image.pixelColor(50, 50), QColor(255, 0, 0)); // filled with the fill colour
    QCOMPARE(image.pixelColor(30, 50), QColor(0, 0, 255)); // outlined in the pen colour
    QCOMPARE(image.pixelColor(150, 20), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(150, 50), QColor(Qt::white)); // a polyline is never filled
    QCOMPARE(image.pixelColor(165, 165), QColor(Qt::white)); // the 51st vertex is not drawn
}

void tst_Model::colours()
{
    const ShapeColour split = SplitColour(0x00123456);
    QCOMPARE(QList<int>({split.red, split.green, split.blue}), QList<int>({0x56, 0x34, 0x12}));
    QCOMPARE(ColourFromValue(-1), QColor(255, 255, 255));
    QCOMPARE(ValueFromColour(QColor(1, 2, 3)), 0x030201u);
}

void tst_Model::designBytes_data()
{
    QTest::addColumn<std::shared_ptr<ShapeList>>("design");
    QTest::addColumn<QByteArray>("expected"); // empty: refused
    const auto design = [](auto... shapes) {
        auto list = std::make_shared<ShapeList>();
        (list->push_back(std::move(shapes)), ...);
        return list;
    };
    const QByteArray header1 = QByteArray::fromHex("FFE0AD0F0100FFFFFF00");
    QTest::newRow("empty") << design() << QByteArray::fromHex("FFE0AD0F0000FFFFFF00");
    QTest::newRow("polygon") << design(MakeShape(1, {{0, 10}, {Pi / 2, 20}}))
                             << header1 + QByteArray::fromHex("0102FFFFFF000000") + Le(0) + Le(10) + Le(Pi / 2) + Le(20);
    QTest::newRow("polyline colours, low bytes")
        << design(MakeShape(2, {{-1.25, 3.5}}, {1, 2, 0x103}, {4, 5, 6}))
        << header1 + QByteArray::fromHex("0201010203040506") + Le(-1.25) + Le(3.5);
    QTest::newRow("no vertices") << design(MakeShape(2, {})) << header1 + QByteArray::fromHex("0200FFFFFF000000");
    QTest::newRow("256 vertices") << design(MakeShape(2, Points(256))) << QByteArray();
}

void tst_Model::designBytes()
{
    QFETCH(std::shared_ptr<ShapeList>, design);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("d.jvf");
    WriteFileBytes(path, "old");
    if (expected.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(CDesignLimitError, ExportDesign(path, *design));
        expected = "old";
    } else {
        ExportDesign(path, *design);
    }
    QCOMPARE(ReadFileBytes(path), expected);
}

void tst_Model::copies_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<QList<double>>("angles"); // of the vertex at angle 1, radius 7, per shape
    QTest::newRow("off") << 1 << false << QList<double>{1.0};
    QTest::newRow("2") << 2 << false << QList<double>{1.0, 4.141592654};
    QTest::newRow("3") << 3 << false << QList<double>{1.0, 3.0943951026666667, -1.0943951026666667};
    QTest::newRow("7") << 7 << false << QList<double>{1.0, 1.8975979011428572, 2.7951958022857144, 3.6927937034285714, 4.590391604571429, -0.795195802285714, 0.10240209885714258};
    QTest::newRow("2 mirrored") << 2 << true << QList<double>{1.0, 4.141592654, -1.0, 2.141592654};
    QTest::newRow("1 mirrored") << 1 << true << QList<double>{1.0, -1.0};
}

void tst_Model::copies()
{
    QFETCH(int, count);
    QFETCH(bool, mirror);
    QFETCH(QList<double>, angles);
    const ShapeList shapes = MakeCopies(MakeShape(2, {{1, 7}, {4.6, 2}}, {1, 2, 3}, {4, 5, 6}), count, mirror);
    QCOMPARE(shapes.size(), std::size_t(angles.size()));
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const CObjectStorage &copy = *shapes[i];
        QCOMPARE(copy.Type(), 2);
        QCOMPARE(copy.FillColour().blue, 3);
        QCOMPARE(copy.PenColour().red, 4);
        QCOMPARE(copy.PointCount(), 2);
        QCOMPARE(copy.Points()[0].angle, angles[qsizetype(i)]);
        QCOMPARE(copy.Points()[1].radius, 2.0);
    }
    // 24 copies: the last turned by 23/24 of a turn, brought back into range.
    const ShapeList many = MakeCopies(MakeShape(1, {{4.6, 5}}), 24, false);
    QCOMPARE(many.size(), std::size_t(24));
    QCOMPARE(many[23]->Points()[0].angle, 4.338200612166666);
}

void tst_Model::undoRedo()
{
    CDesignDocument document;
    QSignalSpy appended(&document, &CDesignDocument::ShapesAppended);
    const auto radii = [&] {
        QList<double> list;
        for (const auto &shape : document.Shapes())
            list << shape->Points()[0].radius;
        return list;
    };
    document.AddShapes(MakeCopies(MakeShape(1, {{0, 1}}), 2, false));
    document.MarkUnmodified();
    document.AddShapes(MakeCopies(MakeShape(2, {{0, 2}}), 1, false));
    QCOMPARE(appended.last(), QVariantList({2, 1}));
    QVERIFY(document.IsModified());
    document.Clear();
    QCOMPARE(radii(), QList<double>());
    QCOMPARE(document.UndoStack().undoText(), QStringLiteral("Clear"));
    document.UndoStack().undo();
    QCOMPARE(radii(), QList<double>({1, 1, 2}));
    document.UndoStack().undo();
    QCOMPARE(radii(), QList<double>({1, 1}));
    QVERIFY(!document.IsModified());
    document.UndoStack().redo();
    document.UndoStack().redo();
    QCOMPARE(radii(), QList<double>());
    QCOMPARE(document.UndoStack().redoText(), QString());
}

QTEST_MAIN(tst_Model)
#include "tst_model.moc"
