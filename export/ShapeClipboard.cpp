#include "export/ShapeClipboard.h"

#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "model/Copies.h"
#include "platform/LittleEndian.h"

#include <QBuffer>

#include <algorithm>
#include <map>
#include <string>

namespace {

constexpr unsigned char Magic[] = {'V', 'G', 'S', 'H'};
constexpr int Version = 1;
constexpr int HeaderSize = 7;
constexpr int GroupEntrySize = 4;
// Every shape of the largest design in groups of two, each of the most vertices.
constexpr qint64 LargestData =
    HeaderSize + GroupEntrySize * qint64{MaxDesignShapes / 2} + DesignHeaderSize +
    qint64{MaxDesignShapes} * (CObjectStorage::RecordHeaderSize +
                               CObjectStorage::VertexEntrySize * qint64{CObjectStorage::MaxRecordVertices});

using std::to_string;

[[noreturn]] void Fail(const std::string &message)
{
    throw CImportError(message);
}

// Whether shapes [first, first + members) are one copy group, found from
// their vertices alone as in a design opened; links them as one when they are.
bool LinkedAsGroup(ShapeList &shapes, std::size_t first, std::size_t members)
{
    const auto from = shapes.begin() + static_cast<std::ptrdiff_t>(first);
    const auto to = from + static_cast<std::ptrdiff_t>(members);
    ShapeList span(std::make_move_iterator(from), std::make_move_iterator(to));
    RecogniseGroups(span);
    const auto &group = span.front()->Group().group;
    const bool one = group && std::all_of(span.begin(), span.end(), [&](const auto &shape) {
                         return shape->Group().group == group;
                     });
    std::move(span.begin(), span.end(), from);
    return one;
}

std::string Records(std::size_t first, std::size_t members)
{
    return "records " + to_string(first + 1) + " to " + to_string(first + members);
}

} // namespace

QByteArray EncodeShapes(const SelectedShapes &selected)
{
    const ShapeList &shapes = selected.shapes;
    std::map<const CopyGroup *, std::size_t> selectedMembers;
    for (std::size_t i = 0; i < shapes.size(); ++i)
        if (selected.wholeGroup[i])
            ++selectedMembers[shapes[i]->Group().group.get()];

    QByteArray groups;
    for (std::size_t i = 0; i < shapes.size();) {
        const CopyGroup *group = shapes[i]->Group().group.get();
        std::size_t run = 1;
        if (selected.wholeGroup[i] && group) {
            while (i + run < shapes.size() && shapes[i + run]->Group().group.get() == group)
                ++run;
            ShapeList span;
            for (std::size_t m = 0; m < run; ++m)
                span.push_back(shapes[i + m]->Clone());
            // Only what the reader will find to be one group again.
            if (run == selectedMembers[group] && run >= 2 && LinkedAsGroup(span, 0, run)) {
                unsigned char entry[GroupEntrySize];
                PutU16(PutU16(entry, static_cast<std::uint16_t>(i)), static_cast<std::uint16_t>(run));
                groups.append(reinterpret_cast<const char *>(entry), GroupEntrySize);
            }
        }
        i += run;
    }

    QByteArray data(HeaderSize, '\0');
    auto *header = reinterpret_cast<unsigned char *>(data.data());
    std::copy(std::begin(Magic), std::end(Magic), header);
    header[4] = Version;
    PutU16(header + 5, static_cast<std::uint16_t>(groups.size() / GroupEntrySize));
    data += groups;
    data += DesignHeader(shapes.size());
    for (const auto &shape : shapes)
        shape->AppendRecord(data);
    return data;
}

ShapeList DecodeShapes(const QByteArray &data)
{
    const auto size = static_cast<std::size_t>(data.size());
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    if (size == 0)
        Fail("The data is empty.");
    if (data.size() > LargestData)
        Fail("The data is " + to_string(size) + " bytes long, more than the " + to_string(LargestData) +
             " that the largest design could take.");
    if (size < HeaderSize || !std::equal(std::begin(Magic), std::end(Magic), bytes))
        Fail("Byte 0: the data does not begin with the 7-byte header of Vortigram's shapes.");
    if (bytes[4] != Version)
        Fail("Byte 4: the data is of version " + to_string(bytes[4]) + "; this program reads version " +
             to_string(Version) + '.');
    const std::size_t count = GetU16(bytes + 5);
    const std::size_t shapesAt = HeaderSize + GroupEntrySize * count;
    if (size < shapesAt)
        Fail("Byte 5: the header counts " + to_string(count) + " groups, but the data ends inside group " +
             to_string((size - HeaderSize) / GroupEntrySize + 1) + '.');

    QByteArray design = QByteArray::fromRawData(data.constData() + shapesAt,
                                                static_cast<qsizetype>(size - shapesAt));
    QBuffer buffer(&design);
    buffer.open(QIODevice::ReadOnly);
    ShapeList shapes;
    try {
        shapes = ReadDesign(buffer);
    } catch (const CDesignReadError &error) {
        Fail("From byte " + to_string(shapesAt) + ", a design file (its bytes counted from there): " + error.what());
    }

    std::size_t ungrouped = 0; // the first shape no group before holds
    for (std::size_t g = 0; g < count; ++g) {
        const unsigned char *entry = bytes + HeaderSize + GroupEntrySize * g;
        const std::size_t first = GetU16(entry);
        const std::size_t members = GetU16(entry + 2);
        const std::string where = "Group " + to_string(g + 1) + " at byte " +
                                  to_string(HeaderSize + GroupEntrySize * g) + ": ";
        if (members < 2)
            Fail(where + "a group has at least 2 members, not " + to_string(members) + '.');
        if (first < ungrouped)
            Fail(where + "it begins at record " + to_string(first + 1) +
                 ", not after the group before it.");
        if (first + members > shapes.size())
            Fail(where + "it holds " + Records(first, members) + ", but there are " +
                 to_string(shapes.size()) + '.');
        if (!LinkedAsGroup(shapes, first, members))
            Fail(where + Records(first, members) + " are no copies around the centre.");
        ungrouped = first + members;
    }
    return shapes;
}
