// The design model and its file: drawing, records, reading back strictly,
// copies around the centre and the undo history.
#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "model/Copies.h"
#include "model/DesignDocument.h"
#include "model/DrawMapping.h"
#include "model/ShapeEdits.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QPainter>
#include <QTest>

#include <cfloat>
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
    void document();
    void groups();
};

namespace {

// Each shape's first radius, or its group as <copies><m with Mirror>.<copy><m if mirrored>.
QString Describe(const ShapeList &shapes, bool groups = false)
{
    QStringList parts;
    for (const auto &shape : shapes) {
        const GroupLink &link = shape->Group();
        parts << (!groups ? Text(shape->Points().at(0).radius) : !link.group ? QString("-")
                  : QString("%1%2.%3%4").arg(link.group->copies).arg(link.group->mirror ? "m" : "").arg(link.copy).arg(link.mirrored ? "m" : ""));
    }
    return parts.join(' ');
}

QByteArray Records(const ShapeList &shapes)
{
    QByteArray bytes;
    for (const auto &shape : shapes)
        shape->AppendRecord(bytes);
    return bytes;
}

} // namespace

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

    // Each limit alone, with its message; a refused design leaves the file alone.
    ShapeList wide;
    wide.push_back(MakeShape(1, std::vector<PolarPoint>(256)));
    ShapeList many(65536);
    for (auto &shape : many)
        shape = MakeShape(2, {});
    for (const auto *refused : {&wide, &many}) {
        try {
            ExportDesign(path, *refused);
            QFAIL("written");
        } catch (const CDesignLimitError &e) {
            QCOMPARE(QString(e.what()), refused == &wide ? "A shape has 256 vertices; a design file holds at most 255 per shape."
                                                        : "The design has 65536 shapes; a design file holds at most 65535.");
        }
    }
    QCOMPARE(ReadFileBytes(path), bytes);

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

    // The copy function, bit for bit: angle and radius of vertex (1, 7) in each shape made
    // (a whole turn, odd and even, then arcs closed and open, scaled up and down, mirrored).
    const auto exact = [](double v) { return QString::number(v, 'g', 17); };
    const std::pair<CopySettings, QString> spread[] = {
        {{3}, "1 7 3.0943951026666667 7 -1.0943951026666667 7"}, {{2, 360, false, 0.5, true}, "1 7 4.1415926540000001 3.5 -1 7 2.1415926540000001 3.5"},
        {{3, 90, false, 2}, "1 7 1.5235987756666418 14 2.0471975513332836 28"}, {{3, 90, true, 0.9}, "1 7 1.7853981635000196 6.2999999999999901 2.5707963270000391 5.6699999999999822"}};
    for (const auto &[settings, expected] : spread) {
        QStringList made;
        for (const auto &copy : MakeCopies(MakeShape(1, {{1, 7}}), CopyPattern(settings)))
            made << exact(copy->Points()[0].angle) << exact(copy->Points()[0].radius);
        QCOMPARE(made.join(' '), expected);
    }
    // Angles into -pi/2 .. 3pi/2: ordinary ones as always, any finite one exactly by a turn.
    QStringList normalised;
    for (const double angle : {12345.678, 3 * Pi / 2, std::nextafter(-Pi / 2, -2), 3e19 * Pi / 180, 1e70 * Pi / 180, -DBL_MAX})
        normalised << exact(NormalisedAngle(angle));
    QCOMPARE(normalised.join(' '), "-0.78113022000070487 -1.570796327 -1.570796327 1.2289921767749377 1.8505288599410505 0.94379825389611938");
    // Copies whose radii vanish or overflow at scale 2 are refused; too many copies too.
    QStringList refused{CopySettingsProblem({361})};
    for (const double factor : {0.5, 100.0, 1.01})
        refused << CopiesProblem(*MakeShape(1, {{1, 7}, {2, 0}}), CopyPattern({360, 360, false, factor}), 2);
    const QString advice = " Use fewer copies or a scale per copy nearer 1. Nothing was added.|";
    QCOMPARE(refused.join('|') + '|', "The number of copies is from 1 to 360.|Copies 6 to 360, scaled by 0.5 each, would lie within half a pixel of the centre at this scale."
             + advice + "Copies 155 to 360, scaled by 100 each, would be too large to keep." + advice + '|');
}

void tst_Model::document()
{
    // Every edit says which places changed, is one undo step, and undoes exactly.
    CDesignDocument document;
    QStringList said;
    const auto places = [](const Places &p) { return Text(QList<double>(p.cbegin(), p.cend())); };
    connect(&document, &CDesignDocument::ShapesAppended, [&](int first, int count) { said << Str("add", first, count); });
    connect(&document, &CDesignDocument::ShapesRemoved, [&](const Places &p) { said << "rm " + places(p); });
    connect(&document, &CDesignDocument::ShapesInserted, [&](const Places &p) { said << "in " + places(p); });
    connect(&document, &CDesignDocument::ShapesChanged, [&](const Places &p) { said << "ch " + places(p); });
    connect(&document, &CDesignDocument::ShapesMoved, [&](const Places &f, const Places &t) { said << "mv " + places(f) + " to " + places(t); });
    connect(&document, &CDesignDocument::ShapesReset, [&] { said << "reset"; });
    const auto one = [](double r) { ShapeList list; list.push_back(MakeShape(2, {{0, r}})); return list; };
    ShapeList six;
    for (int r = 0; r < 6; ++r)
        six.push_back(MakeShape(2, {{0, double(r)}}));
    document.AddShapes(std::move(six));
    document.MarkUnmodified();
    document.RemoveShapes({1, 3}, "Delete");
    document.MoveShapes({0, 2}, {2, 3}, "Raise"); // 0 2 4 5: the 0 and the 4 go on top
    QCOMPARE(Describe(document.Shapes()), "2 5 0 4");
    document.ChangeShapes({1}, one(9), "Turn", 7);
    document.ChangeShapes({1}, one(8), "Turn", 7); // the same drag: one step
    document.ChangeShapes({3}, one(7), "Turn", 8);
    document.ChangeShapes({3}, one(4), "Turn", 8); // back where it began: no step
    QCOMPARE(Str(Describe(document.Shapes()), document.UndoStack().count()), "2 8 0 4 4");
    document.UndoStack().undo();
    QCOMPARE(Describe(document.Shapes()), "2 5 0 4");
    document.UndoStack().setIndex(1);
    QVERIFY(Describe(document.Shapes()) == "0 1 2 3 4 5" && !document.IsModified() && document.CanAdd(65529) && !document.CanAdd(65530));
    document.UndoStack().redo();
    document.Clear();
    QCOMPARE(said.join(';'), "add 0 6;rm 1 3;mv 0 2 to 2 3;ch 1;ch 1;ch 3;ch 3;ch 1;mv 2 3 to 0 2;in 1 3;rm 1 3;reset");
}

void tst_Model::groups()
{
    // A click's shapes are found again in a file whatever their colours; a
    // run that is not exactly the copies of its first is no group.
    ShapeList design;
    const auto add = [&](ShapeList shapes) { for (auto &shape : shapes) design.push_back(std::move(shape)); };
    const auto drawn = [] { return MakeShape(1, {{0.3, 40}, {2.9, 70}}); };
    add(MakeCopies(drawn(), 3, true));
    add(MakeCopies(drawn(), 1, false));
    add(MakeCopies(drawn(), 4, false));
    add(MakeCopies(drawn(), 1, true));
    add(MakeCopies(drawn(), 2, false));
    // Spirals and arcs: closed and mirrored, open, a typed angle, a whole turn scaled; then
    // an open arc with one bit off in its last copy, a shape repeated and 360 copies.
    for (const CopySettings &settings : std::initializer_list<CopySettings>{{3, 90, false, 0.9, true}, {4, 120, true}, {2, -60, false, 1.1}, {5, 360, false, 1.25}, {3, 50, true, 1.5}})
        add(MakeCopies(drawn(), CopyPattern(settings)));
    design[2]->SetFillColour(1, 2, 3);
    design[14]->Points()[1].radius = 70.000000001;
    design.back()->Points()[0].angle = std::nextafter(design.back()->Points()[0].angle, 9.0);
    add(MakeCopies(drawn(), 1, false));
    add(MakeCopies(drawn(), 1, false));
    const QByteArray records = Records(design);
    RecogniseGroups(design);
    QCOMPARE(Describe(design, true), "3m.0 3m.1 3m.2 3m.0m 3m.1m 3m.2m - 4.0 4.1 4.2 4.3 1m.0 1m.0m - - 3m.0 3m.1 3m.2 3m.0m 3m.1m 3m.2m 4.0 4.1 4.2 4.3 2.0 2.1 5.0 5.1 5.2 5.3 5.4 2.0 2.1 - - -");
    // Every group found makes its members again exactly; so do 360 copies.
    QCOMPARE(Records(EditVertices(Select(design, PlaceRange(0, int(design.size()))), TurnAndScale(0, 1)).shapes), records);
    ShapeList spiral = MakeCopies(drawn(), CopyPattern({360, 720, false, 0.99, true}));
    RecogniseGroups(spiral);
    QVERIFY(Describe(spiral, true).endsWith(" 360m.359m"));

    // Edits of whole groups, odd and even counts, with and without Mirror:
    // the design holds exactly what one click of the edited drawn shape makes.
    const double step = 2 * Pi / 20;
    for (const CopySettings &settings : std::initializer_list<CopySettings>{{5, 360, false, 1, true}, {4}, {1, 360, false, 1, true}, {3}, {4, -100, true, 0.9, true}}) {
        const CopyGroup pattern = CopyPattern(settings);
        const ShapeList group = MakeCopies(drawn(), pattern);
        const SelectedShapes all = Select(group, PlaceRange(0, int(group.size())));
        const auto turned = EditVertices(all, TurnAndScale(step, 1.25));
        QCOMPARE(Records(turned.shapes), Records(MakeCopies(MakeShape(1, {{0.3 + step, 50}, {2.9 + step, 87.5}}), pattern)));
        // A vertex of the last member moved: carried back to the first, all made again.
        const ShapeChanges moved = MoveVertex(all, int(group.size()) - 1, 1, {2.0, 55});
        const CObjectStorage &last = *moved.shapes.back();
        QCOMPARE(Records(moved.shapes), Records(MakeCopies(moved.shapes[0]->Clone(), pattern)));
        QVERIFY(std::abs(last.Points()[1].angle - 2.0) < 1e-12 && std::abs(last.Points()[1].radius - 55) < 1e-12 && last.Group().group);
        // Carried back into the range from a mirror image.
        QVERIFY(moved.shapes[0]->Points()[1].angle >= -Pi / 2);
    }
    // Angles as stored: a turn wraps at 3pi/2, a huge one too, a scale leaves a -0 angle alone.
    QCOMPARE(Str(TurnAndScale(step, 1)({4.6, 1}).angle, TurnAndScale(-step, 1)({-1.5, 1}).angle, std::signbit(TurnAndScale(0, 1.25)({-0.0, 1}).angle),
                 TurnAndScale(1e300, 1)({0, 1}).angle), "-1.3690260426 4.4690260426 1 3.81470439294");
    // One member alone leaves its group when turned; colours and kind keep it.
    const ShapeList group = MakeCopies(drawn(), 3, false);
    const SelectedShapes alone = Select(group, {1});
    QCOMPARE(Str(Describe(EditVertices(alone, TurnAndScale(step, 1)).shapes, true), Describe(Recoloured(alone, ShapeColour{1, 2, 3}, {}).shapes, true),
                 Describe(Rekinded(alone, 2).shapes, true), Describe(Duplicates(alone), true), GroupPlaces(group, 2).size()), "- 3.1 3.1 - 3");
    QVERIFY(Duplicates(Select(group, {0, 1, 2}))[0]->Group().group != group[0]->Group().group);

    // Raise and lower: each selected shape passes one unselected neighbour.
    const std::tuple<Places, int, Places> moves[] = {{{1, 2}, 1, {2, 3}}, {{3, 4}, 1, {3, 4}}, {{0, 2}, -1, {0, 1}}, {{1, 4}, -1, {0, 3}}};
    for (const auto &[from, direction, to] : moves)
        QCOMPARE(Raised(from, 5, direction), to);
    QCOMPARE(Str(ToTop({0, 2}, 5).last(), ToBottom({3, 4}).last()), "4 1");
}

QTEST_MAIN(tst_Model)
#include "tst_model.moc"
