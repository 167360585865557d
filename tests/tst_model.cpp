// The design model and its file: drawing, records, reading back strictly,
// copies around the centre and the undo history; shapes brought in from SVG
// and carried on the clipboard.
#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "export/OutlineGeometry.h"
#include "export/ShapeClipboard.h"
#include "export/SvgImport.h"
#include "model/Copies.h"
#include "model/DesignDocument.h"
#include "model/DrawMapping.h"
#include "model/ShapeEdits.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QLoggingCategory>
#include <QPainter>
#include <QTest>

#include <cfloat>
#include <random>
#include <sys/stat.h>
#include <ranges>

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
    void svgImport();
    void svgRefusals();
    void outlines();
    void clipboard();
    void mutatedImports();
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

// A bit flipped, a byte put in, bytes taken out, or the end cut off.
QByteArray Mutated(QByteArray bytes, std::mt19937_64 &random)
{
    const qsizetype at = random() % bytes.size();
    switch (random() % 4) {
    case 0: bytes[at] = char(bytes[at] ^ (1 << random() % 8)); break;
    case 1: bytes.insert(at, char(random())); break;
    case 2: bytes.remove(at, 1 + random() % 16); break;
    default: bytes.truncate(at);
    }
    return bytes;
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
        QByteArray bytes = Mutated(good, random);
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

namespace {

// Each shape as "<type> <fill> <outline> <count>:" and its first vertices
// r<a, colours as 0xBBGGRR.
QString Vertices(const ShapeList &shapes, int shown = 2)
{
    QStringList lines;
    const auto hex = [](ShapeColour c) { return QString::number(ColourValue(c.red, c.green, c.blue), 16); };
    for (const auto &shape : shapes) {
        QString line = Str(shape->Type(), hex(shape->FillColour()), hex(shape->PenColour()), shape->PointCount()) + ':';
        for (const PolarPoint &p : shape->Points() | std::views::take(shown))
            line += QString(" %1<%2").arg(p.radius, 0, 'g', 7).arg(p.angle, 0, 'g', 7);
        lines << line;
    }
    return lines.join(", ");
}

QByteArray Page(const QByteArray &body)
{
    return R"(<svg xmlns:xlink="http://www.w3.org/1999/xlink" viewBox="100 0 100 60">)" + body + "</svg>";
}

SvgImport Import(const QByteArray &body, double scale = 1)
{
    return ImportSvg(Page(body), {scale, {1, 2, 3}, {4, 5, 6}, {}});
}

// What the call refuses, or that it takes it.
QString Refused(const std::function<void()> &call)
{
    try {
        call();
    } catch (const CImportError &e) {
        return e.what();
    }
    return "taken";
}

// The page's centre (150, 30) on the polar centre: a square, a circle, a
// curve, a transformed group, a `use` of it.
const QByteArray Drawing = R"svg(<rect x="140" y="20" width="20" height="20" fill="#f00" stroke="#00f"/>
        <circle cx="150" cy="0" r="1" fill="none" stroke="#0f0"/><path d="M150 50Q160 60 170 50" stroke="#000"/>
        <g transform="rotate(90 150 30)" fill="#123456"><rect id="r" x="170" y="29" width="4" height="2"/></g>
        <use xlink:href="#r" transform="translate(0 10)"/>)svg";

} // namespace

void tst_Model::svgImport()
{
    // Missing colours from the fallbacks; at 40 times the scale the same
    // radii, the curves in finer steps.
    QCOMPARE(Vertices(Import(Drawing).shapes),
             "1 ff ff0000 4: 14.14214<-0.7853982 14.14214<0.7853982, "
             "2 30201 ff00 9: 30.01666<0.033321 29.30143<0.02413451, "
             "2 0 0 6: 20<3.141593 23.5423<2.970857, "
             "1 563412 60504 4: 20.02498<3.091634 24.02082<3.09995, "
             "1 0 60504 4: 21.93171<1.99365 25.63201<1.929567");
    QCOMPARE(Vertices(Import(Drawing, 40).shapes, 1), Vertices(Import(Drawing).shapes, 1).replace(" 9:", " 33:").replace(" 6:", " 30:"));

    // A star of 60 vertices thinned out to 49, at twice the scale; a picture
    // left out, never read (a pipe no one writes to).
    mkfifo(qPrintable(m_dir.filePath("pipe")), 0600);
    QByteArray star = "<image width='5' height='5' xlink:href='" + m_dir.filePath("pipe").toUtf8() + "'/><polygon points='";
    for (double i = 0, r = 90; i < 60; ++i, r = 130 - r)
        star += QByteArray::number(150 + std::sin(i * Pi / 30) * r) + ',' + QByteArray::number(30 - std::cos(i * Pi / 30) * r) + ' ';
    QCOMPARE(ImportSummary(Import(star + "'/>", 2)), "1 shape came in. 1 had more than 49 vertices and was simplified to at most 49, straying "
                                                       "at most 99.01 pixels from the drawing's line. Its pictures were left out.");
}

void tst_Model::svgRefusals()
{
    // Each reason, each limit alone (repeats through `use` counted).
    const QByteArray rect = "<rect width='1' height='1'/>", g = "<g id='a'>" + rect + rect + "</g>";
    const struct { QByteArray svg; SvgLimits limits; const char *why; } rows[] = {
        {"", {}, "The file is empty."},
        {"\x1F\x8B\x08", {}, "It is compressed (as .svgz is): uncompress it first."},
        {Page(rect).left(90), {}, "It is no SVG drawing: Premature end of document (line 1, column 90)."},
        {"<html><svg/></html>", {}, "It is no SVG drawing: it begins with <html>, not <svg>."},
        {Page(rect), {.bytes = 64}, "It is larger than 64 bytes, the most an SVG drawing may be."},
        {Page(g + "<use href='#a'/><use href='#a'/>"), {.elements = 9}, "It has more than 9 elements to draw."},
        {Page(g + R"(<g><use xlink:href="#a"/></g>)"), {.depth = 3}, "It nests its elements more than 3 deep."},
        {Page(R"(<g id="a"><use href="#a"/></g>)"), {}, "It repeats an element inside itself."},
        {Page("<rect/>"), {}, "It has nothing to draw as shapes: no filled or stroked line."},
        {Page(rect), {.milliseconds = 0}, "Drawing it takes more than 0 seconds."},
        {Page(R"(<circle r="50"/>)"), {.points = 20}, "Its lines have more than 20 points once its curves are made lines."},
        {Page(("<path d='" + QByteArray("M0 0 h1 ").repeated(10000) + "'/>").repeated(7)), {}, "It has more than 65,535 shapes; a design holds at most 65,535."},
        {Page(rect).replace("100 0 100 60", "0 0 2e9 1"), {}, "At this scale its page would be more than 1,000,000,000 pixels across."},
        {Page(rect).replace("100 0 100 60", "0 0 0 60"), {}, "It has no page: neither a viewBox nor a width and height."}};
    for (const auto &r : rows)
        QCOMPARE(Refused([&] { ImportSvg(r.svg, {1, {}, {}, r.limits}); }), r.why);
    QCOMPARE(Refused([&] { ImportSvg(m_dir.path(), {}); }), "It is a folder."); // a missing one: check_cli
}

void tst_Model::outlines()
{
    // Every point of each step lies within the tolerance of the curve at the
    // same parameter (so of the curve), in not needlessly many steps: an
    // arch, a loop, a line back and forth, a wild one.
    const struct { QPointF p0, p1, p2, p3; double tolerance; } curves[] = {
        {{0, 0}, {0, 100}, {100, 100}, {100, 0}, 0.25}, {{0, 0}, {100, 100}, {0, 100}, {100, 0}, 0.25},
        {{0, 0}, {300, 0}, {-200, 0}, {100, 0}, 0.25}, {{0, 0}, {5000, -3000}, {-4000, 9000}, {800, 10}, 0.01}};
    QStringList got;
    for (const auto &c : curves) {
        const double steps = CubicSteps(c.p0, c.p1, c.p2, c.p3, c.tolerance);
        std::vector<QPointF> line{c.p0};
        FlattenCubic(c.p0, c.p1, c.p2, c.p3, int(steps), line);
        double worst = 0;
        for (std::size_t k = 0; k + 1 < line.size(); ++k)
            for (double s = 0; s <= 1; s += 1.0 / 32) {
                const double t = (k + s) / steps; // de Casteljau at t
                const QPointF a = c.p0 + t * (c.p1 - c.p0), b = c.p1 + t * (c.p2 - c.p1), d = c.p2 + t * (c.p3 - c.p2);
                const QPointF e = a + t * (b - a), f = b + t * (d - b), gap = e + t * (f - e) - line[k] - s * (line[k + 1] - line[k]);
                worst = std::max(worst, std::hypot(gap.x(), gap.y()));
            }
        got << Str(steps, worst / c.tolerance);
    }
    // Steps, and the largest distance found over the tolerance.
    QCOMPARE(got.join(", "), "21 0.939423388403, 26 0.96192554417, 49 0.979183843467, 1373 0.998748642567");

    // Thinned out: the corners of a square ring, a zigzag's ends kept; the
    // error is the farthest a dropped vertex lies from the segment that replaced it.
    std::vector<QPointF> square, zigzag;
    for (int i = 0; i < 100; ++i) {
        square.push_back(i < 25 ? QPointF(i, 0) : i < 50 ? QPointF(25, i - 25) : i < 75 ? QPointF(75 - i, 25) : QPointF(0, 100 - i));
        zigzag.push_back({i * 3.0, i % 2 * 1.0 + i * i / 50.0});
    }
    QStringList thinned;
    for (auto [points, closed] : {std::pair(square, true), std::pair(zigzag, false)}) {
        const double error = Simplify(points, closed, 49);
        thinned << Str(double(points.size()), points[1].x(), points.back().x(), error);
    }
    QCOMPARE(thinned.join(", "), "4 25 0 1.7763568394e-15, 49 3 297 0.750355173717");
}

void tst_Model::clipboard()
{
    // Groups selected whole and in order come back as groups; a part of one,
    // or one out of order, as shapes alone. The records come back bit for bit.
    ShapeList design;
    const auto add = [&](ShapeList shapes) { for (auto &shape : shapes) design.push_back(std::move(shape)); };
    add(MakeCopies(MakeShape(1, {{0.3, 40}, {2.9, 70}}, {1, 2, 3}), 3, true));
    design.push_back(MakeShape(2, {{-0.0, 1e300}}));
    add(MakeCopies(MakeShape(2, {{1, 2}}), 4, false));
    add(MakeCopies(MakeShape(1, {{1, 5}, {2, 6}, {3, 7}}, {}, {9, 8, 7}), 2, false));
    add(MakeCopies(MakeShape(1, {{4, 5}}), 3, false));
    std::swap(design[13], design[14]);
    const SelectedShapes selected = Select(design, {0, 1, 2, 3, 4, 5, 6, 8, 9, 11, 12, 13, 14, 15});
    const QByteArray data = EncodeShapes(selected);
    QCOMPARE(data.left(25).toHex(), "564753480102000000060009000200ffe0ad0f0e00ffffff00");
    QCOMPARE(data.mid(25), Records(selected.shapes));
    const ShapeList back = DecodeShapes(data);
    QCOMPARE(Records(back), Records(selected.shapes));
    QCOMPARE(Describe(back, true), "3m.0 3m.1 3m.2 3m.0m 3m.1m 3m.2m - - - 2.0 2.1 - - -");

    // Malformed data: each field checked, bytes counted from 0.
    const auto with = [&](int at, char b) { return QByteArray(data).replace(at, 1, &b, 1); };
    const QString group2 = "Group 2 at byte 11: ";
    const std::pair<QByteArray, QString> rows[] = {
        {{}, "The data is empty."},
        {with(0, 'W'), "Byte 0: the data does not begin with the 7-byte header of Vortigram's shapes."},
        {with(4, 2), "Byte 4: the data is of version 2; this program reads version 1."},
        {with(5, char(255)), "Byte 5: the header counts 255 groups, but the data ends inside group 129."},
        {data.left(200), "From byte 15, a design file (its bytes counted from there): Record 5 at byte 170: the file ends after 0 of the record's 2 vertices."},
        {with(13, 1), group2 + "a group has at least 2 members, not 1."},
        {with(11, 5), group2 + "it begins at record 6, not after the group before it."},
        {with(11, 13), group2 + "it holds records 14 to 15, but there are 14."},
        {with(11, 7), group2 + "records 8 to 9 are no copies around the centre."}};
    for (const auto &[bytes, message] : rows)
        QCOMPARE(Refused([&] { DecodeShapes(bytes); }), message);
}

void tst_Model::mutatedImports()
{
    // The clipboard's reader and the SVG import fed mutations of good data:
    // taken whole, no byte skipped, or refused; nothing else thrown, no crash.
    QLoggingCategory::setFilterRules("qt.svg.warning=false"); // its notes on what it cannot draw
    const QByteArray data = EncodeShapes(Select(MakeCopies(MakeShape(1, {{0.3, 40}, {2.9, 70}}), 3, true), PlaceRange(0, 6)));
    std::mt19937_64 random(11);
    for (int i = 0; i < 50000; ++i) {
        const QByteArray bytes = Mutated(data, random);
        Refused([&] {
            const ShapeList shapes = DecodeShapes(bytes); // first: a short text has no count to read
            qsizetype size = 17 + 4 * (uchar(bytes[5]) + 256 * uchar(bytes[6]));
            for (const auto &shape : shapes)
                size += 8 + 16 * shape->PointCount();
            QCOMPARE(size, bytes.size());
        });
    }
    for (int i = 0; i < 2000; ++i)
        Refused([&] {
            for (const auto &shape : ImportSvg(Mutated(Page(Drawing), random), {}).shapes)
                QVERIFY(shape->PointCount() >= 2 && shape->PointCount() <= 49);
        });
}

QTEST_MAIN(tst_Model)
#include "tst_model.moc"
