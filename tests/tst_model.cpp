// The design model and its file: drawing, records, reading back strictly,
// copies around the centre and the undo history.
#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "model/Copies.h"
#include "model/DesignDocument.h"
#include "model/DrawMapping.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>

#include <random>

class tst_Model : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void drawing();
    void file();
    void refusals();
    void mutatedFiles();
    void copies();
    void undo();
};

void tst_Model::drawing()
{
    // Centre (100, 200): up, right, scaled, reflected, turned, truncated toward zero.
    const struct { PolarPoint p; double scale, rotation; QPoint at; } rows[] = {
        {{0, 10}, 1, 0, {100, 190}}, {{Pi / 2, 10}, 1, 0, {110, 200}}, {{0, 10}, 2, 0, {100, 180}},
        {{0, 10}, -1, 0, {100, 210}}, {{0, 10}, 1, Pi / 2, {110, 200}},
        {{0.72, 10}, 1, 0, {106, 193}}, {{-2.42, 10}, 1, 0, {94, 207}}, // 6.59 -7.52, -6.61 7.51
        {{Pi / 2, 1e20}, 1, 0, {100 + (1 << 24), 200}}};
    for (const auto &r : rows)
        QCOMPARE(MapToScreen(r.p, r.scale, r.rotation, 100, 200), r.at);

    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // A red square outlined blue around (50, 50), an open triangle around
    // (150, 50), and a polyline whose 51st vertex would reach (179, 179).
    MakeShape(1, {{-Pi / 4, 28.3}, {Pi / 4, 28.3}, {3 * Pi / 4, 28.3}, {5 * Pi / 4, 28.3}}, {255, 0, 0}, {0, 0, 255})
        ->Draw(painter, 1, 0, 50, 50);
    MakeShape(2, {{0, 30}, {2 * Pi / 3, 30}, {4 * Pi / 3, 30}}, {255, 0, 0})->Draw(painter, 1, 0, 150, 50);
    std::vector<PolarPoint> many(50);
    many.push_back({3 * Pi / 4, 42});
    MakeShape(2, many)->Draw(painter, 1, 0, 150, 150);
    painter.end();
    // Filled and outlined; a polyline never filled; the 51st vertex not drawn.
    QCOMPARE(Str(image.pixel(50, 50), image.pixel(30, 50), image.pixel(150, 20), image.pixel(150, 50), image.pixel(165, 165)),
             Str(0xFFFF0000, 0xFF0000FF, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF));
}

void tst_Model::file()
{
    ShapeList design;
    design.push_back(MakeShape(1, {{0, 10}, {Pi / 2, 20}}));
    design.push_back(MakeShape(2, {{-1.25, 3.5}}, {1, 2, 0x103}, {4, 5, 6}));
    design.push_back(MakeShape(2, {}));
    const QString path = m_dir.filePath("d.jvf");
    ExportDesign(path, design);
    const QByteArray bytes = QByteArray::fromHex("FFE0AD0F0300FFFFFF00 0102FFFFFF000000") + Le(0) + Le(10) +
                             Le(Pi / 2) + Le(20) + QByteArray::fromHex("0201010203040506") + Le(-1.25) +
                             Le(3.5) + QByteArray::fromHex("0200FFFFFF000000");
    QCOMPARE(ReadFileBytes(path), bytes);
    ExportDesign(path, ReadDesign(path)); // read back exactly
    QCOMPARE(ReadFileBytes(path), bytes);

    design.push_back(MakeShape(1, std::vector<PolarPoint>(256)));
    QVERIFY_THROWS_EXCEPTION(CDesignLimitError, ExportDesign(path, design));
    design.resize(65536);
    QVERIFY_THROWS_EXCEPTION(CDesignLimitError, ExportDesign(path, design));
    QCOMPARE(ReadFileBytes(path), bytes); // a refused design leaves the file alone

    // Larger designs the program wrote, read and written again, are the same.
    std::mt19937_64 random(20261207);
    std::uniform_real_distribution<double> any(-1e300, 1e300);
    ShapeList shapes;
    for (int s = 0; s < 600; ++s) {
        shapes.push_back(MakeShape(1 + s % 2, {}, {s, s / 3, 7}, {s / 5, 9, s}));
        for (auto n = random() % 256; n > 0; --n)
            shapes.back()->AddPoint(any(random), any(random));
    }
    ExportDesign(path, shapes);
    ExportDesign(m_dir.filePath("e.jvf"), ReadDesign(path));
    QCOMPARE(ReadFileBytes(m_dir.filePath("e.jvf")), ReadFileBytes(path));
}

void tst_Model::refusals()
{
    const auto record = [](char type, int n) {
        QByteArray r = QByteArray(1, type) + char(n) + QByteArray::fromHex("0A0BFCF0F1F2");
        for (int i = 0; i < n; ++i)
            r += Le(i - 0.5) + Le(i * 1e300);
        return r;
    };
    // Records at bytes 10 (2 vertices), 50 (none) and 58 (200); 3266 bytes in all.
    const QByteArray good = QByteArray::fromHex("FFE0AD0F0300FFFFFF00") + record(1, 2) + record(2, 0) + record(1, 200);
    const auto with = [&](int at, const QByteArray &b) { return QByteArray(good).replace(at, b.size(), b); };
    const QString r3 = "Record 3 at byte 58: ";
    const std::pair<QByteArray, QString> rows[] = {
        {{}, "The file is empty."},
        {good.left(9), "The file is 9 bytes long; a design file begins with a 10-byte header."},
        {with(3, "\x0E"), "Byte 0: the file does not begin with the design file mark FF E0 AD 0F."},
        {with(9, "\x01"), "Byte 6: the header ends with FF FF FF 01 instead of FF FF FF 00."},
        {with(58, "\x03"), r3 + "type 3 is neither 1 (polygon) nor 2 (polyline)."},
        {with(59, "\xC9"), r3 + "the file ends after 200 of the record's 201 vertices."},
        {good.left(3265), r3 + "the file ends after 199 of the record's 200 vertices."},
        {good.left(57), "Record 2 at byte 50: the file ends inside the record's 8-byte header."},
        {with(4, "\x04"), "The header counts 4 records, but the file ends after 3."},
        {good + '\0', "Byte 3266: the file goes on after the last of the 3 records the header counts."},
        {with(114, Le(qQNaN())), r3 + "the angle of vertex 4 is not a finite number."},
        {with(3258, Le(-qInf())), r3 + "the radius of vertex 200 is not a finite number."},
        {"folder", "It is a folder."}, {"nobody", "Permission denied."}};
    for (const auto &[bytes, message] : rows) {
        const QString file = m_dir.filePath("bad.jvf");
        WriteFileBytes(file, bytes);
        // Root reads any file: read this one as nobody, who may pass the folder.
        QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) | QFile::ExeOther);
        QFile::setPermissions(file, bytes == "nobody" ? QFile::Permissions() : QFile::ReadOwner | QFile::WriteOwner);
        const QString path = bytes == "folder" ? m_dir.path() : file;
        std::optional<CUnprivileged> user;
        if (bytes == "nobody")
            user.emplace();
        try {
            ReadDesign(path);
            QFAIL(qPrintable("read: " + message));
        } catch (const CDesignReadError &error) {
            QCOMPARE(QString(error.what()), message);
        }
    }
}

void tst_Model::mutatedFiles()
{
    const QByteArray good = QByteArray::fromHex("FFE0AD0F0200FFFFFF00 0102FFFFFF000000") + Le(1) + Le(2) +
                            Le(3) + Le(4) + QByteArray::fromHex("0200FFFFFF000000");
    std::mt19937_64 random(7);
    for (int i = 0; i < 100000; ++i) {
        QByteArray bytes = good;
        const qsizetype at = random() % bytes.size();
        switch (random() % 4) {
        case 0: bytes[at] = char(bytes[at] ^ (1 << random() % 8)); break;
        case 1: bytes.insert(at, char(random())); break;
        case 2: bytes.remove(at, 1 + random() % 16); break;
        default: bytes.truncate(at);
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        try { // read whole, no byte skipped, or refused; anything else thrown fails
            qsizetype size = 10;
            for (const auto &shape : ReadDesign(buffer))
                size += 8 + 16 * shape->PointCount();
            QCOMPARE(size, bytes.size());
        } catch (const CDesignReadError &) {
        }
    }
}

void tst_Model::copies()
{
    // The angle of the first vertex (angle 1, radius 7) of every shape made.
    const std::tuple<int, bool, QString> rows[] = {
        {1, false, "1"}, {2, false, "1 4.141592654"}, {3, false, "1 3.09439510267 -1.09439510267"},
        {7, false, "1 1.89759790114 2.79519580229 3.69279370343 4.59039160457 -0.795195802286 0.102402098857"},
        {2, true, "1 4.141592654 -1 2.141592654"}, {1, true, "1 -1"}};
    for (const auto &[count, mirror, angles] : rows) {
        QStringList made;
        for (const auto &copy : MakeCopies(MakeShape(2, {{1, 7}, {4.6, 2}}, {1, 2, 3}, {4, 5, 6}), count, mirror)) {
            QCOMPARE(Str(copy->Type(), copy->FillColour().blue, copy->PenColour().red, copy->Points()[1].radius), "2 3 4 2");
            made << Text(copy->Points()[0].angle);
        }
        QCOMPARE(made.join(' '), angles);
    }
    QCOMPARE(MakeCopies(MakeShape(1, {{4.6, 5}}), 24, false)[23]->Points()[0].angle, 4.338200612166666);
}

void tst_Model::undo()
{
    CDesignDocument document;
    const auto radii = [&] {
        QStringList list;
        for (const auto &shape : document.Shapes())
            list << Text(shape->Points()[0].radius);
        return list.join(' ');
    };
    document.AddShapes(MakeCopies(MakeShape(1, {{0, 1}}), 2, false));
    document.MarkUnmodified();
    document.AddShapes(MakeCopies(MakeShape(2, {{0, 2}}), 1, false));
    QVERIFY(document.IsModified());
    document.Clear();
    QCOMPARE(document.UndoStack().undoText(), QStringLiteral("Clear"));
    document.UndoStack().undo();
    QCOMPARE(radii(), "1 1 2");
    document.UndoStack().undo();
    QCOMPARE(radii(), "1 1");
    QVERIFY(!document.IsModified());
    document.UndoStack().redo();
    document.UndoStack().redo();
    QCOMPARE(radii(), "");
}

QTEST_MAIN(tst_Model)
#include "tst_model.moc"
