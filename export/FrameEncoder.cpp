#include "export/FrameEncoder.h"

#include "platform/OutputFile.h"

#include <gif_lib.h>
#include <webp/encode.h>

#include <QByteArray>
#include <QTemporaryFile>

#include <algorithm>
#include <array>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

// Frames are handed to the file in pieces this large: giflib writes blocks of
// 255 bytes, and the file is unbuffered so that a full disk shows at once.
constexpr qsizetype WriteChunk = 1 << 20;

[[noreturn]] void Failed(const char *what, const QString &why)
{
    throw CFileException(QStringLiteral("%1: %2").arg(QString::fromLatin1(what), why));
}

// Each colour of a frame and the palette index it gets.
class CPalette
{
public:
    static constexpr std::size_t Largest = 256;

    // The frame's own colours when there are no more than 256 of them; else
    // 256 made by median cut, weighted by how many pixels have each colour.
    explicit CPalette(const QImage &frame)
    {
        std::unordered_map<QRgb, quint32> counts;
        for (int y = 0; y < frame.height(); ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
            for (int x = 0; x < frame.width();) {
                const QRgb colour = row[x] | 0xFF000000;
                const int start = x;
                while (++x < frame.width() && (row[x] | 0xFF000000) == colour)
                    ;
                counts[colour] += static_cast<quint32>(x - start);
            }
        }
        std::vector<Tally> all;
        all.reserve(counts.size());
        for (const auto &[colour, count] : counts)
            all.push_back({colour, count});
        // The same frame always gives the same file.
        std::sort(all.begin(), all.end(), [](const Tally &a, const Tally &b) { return a.colour < b.colour; });
        if (all.size() <= Largest) {
            for (const Tally &t : all) {
                m_index[t.colour] = static_cast<GifPixelType>(m_colours.size());
                m_colours.push_back(t.colour);
            }
        } else {
            MedianCut(all);
        }
    }

    GifPixelType Index(QRgb colour) const { return m_index.at(colour | 0xFF000000); }

    // giflib's colour map: a power of two entries, at least two.
    ColorMapObject *MakeMap() const
    {
        const int size = 1 << std::max(1, GifBitSize(static_cast<int>(m_colours.size())));
        std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
        for (std::size_t i = 0; i < m_colours.size(); ++i)
            entries[i] = {static_cast<GifByteType>(qRed(m_colours[i])),
                          static_cast<GifByteType>(qGreen(m_colours[i])),
                          static_cast<GifByteType>(qBlue(m_colours[i]))};
        ColorMapObject *map = GifMakeMapObject(size, entries.data());
        if (!map)
            throw std::bad_alloc();
        return map;
    }

private:
    struct Tally
    {
        QRgb colour;
        quint32 count;
    };
    using Range = std::pair<std::size_t, std::size_t>; // [first, end) of the tallies

    static int Channel(QRgb colour, int channel) { return (colour >> (16 - 8 * channel)) & 0xFF; }

    // The channel along which the colours of a range spread widest, and how wide.
    static std::pair<int, int> Widest(const std::vector<Tally> &all, Range range)
    {
        std::pair<int, int> widest{0, -1};
        for (int channel = 0; channel < 3; ++channel) {
            int low = 255, high = 0;
            for (std::size_t i = range.first; i < range.second; ++i) {
                low = std::min(low, Channel(all[i].colour, channel));
                high = std::max(high, Channel(all[i].colour, channel));
            }
            if (high - low > widest.second)
                widest = {channel, high - low};
        }
        return widest;
    }

    void MedianCut(std::vector<Tally> &all)
    {
        std::vector<Range> boxes{{0, all.size()}};
        // Each box's widest channel, found once: a split changes only the two boxes it makes.
        std::vector<std::pair<int, int>> widths{Widest(all, boxes[0])};
        while (boxes.size() < Largest) {
            // Split the box whose colours spread widest, at its weighted median.
            std::size_t pick = boxes.size();
            std::pair<int, int> along{0, 0};
            for (std::size_t b = 0; b < boxes.size(); ++b) {
                const auto widest = widths[b];
                if (boxes[b].second - boxes[b].first > 1 && widest.second > along.second) {
                    pick = b;
                    along = widest;
                }
            }
            if (pick == boxes.size())
                break;
            const auto [first, end] = boxes[pick];
            const int channel = along.first;
            std::sort(all.begin() + static_cast<std::ptrdiff_t>(first), all.begin() + static_cast<std::ptrdiff_t>(end),
                      [channel](const Tally &a, const Tally &b) { return Channel(a.colour, channel) < Channel(b.colour, channel); });
            quint64 total = 0;
            for (std::size_t i = first; i < end; ++i)
                total += all[i].count;
            quint64 seen = 0;
            std::size_t cut = first;
            while (cut < end - 1 && (seen += all[cut].count) * 2 < total)
                ++cut;
            cut = std::clamp(cut + 1, first + 1, end - 1);
            boxes[pick] = {first, cut};
            boxes.push_back({cut, end});
            widths[pick] = Widest(all, boxes[pick]);
            widths.push_back(Widest(all, boxes.back()));
        }
        for (const auto &[first, end] : boxes) {
            quint64 sum[3] = {0, 0, 0}, weight = 0;
            for (std::size_t i = first; i < end; ++i) {
                for (int channel = 0; channel < 3; ++channel)
                    sum[channel] += quint64(Channel(all[i].colour, channel)) * all[i].count;
                weight += all[i].count;
                m_index[all[i].colour] = static_cast<GifPixelType>(m_colours.size());
            }
            const auto mean = [&](int channel) { return static_cast<int>((sum[channel] + weight / 2) / weight); };
            m_colours.push_back(qRgb(mean(0), mean(1), mean(2)));
        }
    }

    std::vector<QRgb> m_colours;
    std::unordered_map<QRgb, GifPixelType> m_index;
};

class CGifEncoder final : public CFrameEncoder
{
public:
    CGifEncoder(COutputFile &file, QSize size, std::chrono::milliseconds delay)
        : m_file(file), m_size(size)
    {
        int error = 0;
        m_gif.reset(EGifOpen(this, &CGifEncoder::Output, &error));
        if (!m_gif)
            Fail(error);
        EGifSetGifVersion(m_gif.get(), true); // the frame delays are GIF89a extensions
        Check(EGifPutScreenDesc(m_gif.get(), size.width(), size.height(), 8, 0, nullptr));
        // Repeat without end (the application extension browsers read).
        static const GifByteType loop[3] = {1, 0, 0};
        Check(EGifPutExtensionLeader(m_gif.get(), APPLICATION_EXT_FUNC_CODE));
        Check(EGifPutExtensionBlock(m_gif.get(), 11, "NETSCAPE2.0"));
        Check(EGifPutExtensionBlock(m_gif.get(), 3, loop));
        Check(EGifPutExtensionTrailer(m_gif.get()));
        // GIF counts time in hundredths of a second.
        const GraphicsControlBlock control{DISPOSE_DO_NOT, false, static_cast<int>(delay.count() / 10),
                                           NO_TRANSPARENT_COLOR};
        EGifGCBToExtension(&control, m_control.data()); // always its four bytes
        Drain(1); // a file that cannot be written says so before any frame is painted
    }

    void Add(const QImage &frame) override
    {
        const CPalette palette(frame);
        std::unique_ptr<ColorMapObject, void (*)(ColorMapObject *)> map(palette.MakeMap(), GifFreeMapObject);
        Check(EGifPutExtension(m_gif.get(), GRAPHICS_EXT_FUNC_CODE, static_cast<int>(m_control.size()), m_control.data()));
        Check(EGifPutImageDesc(m_gif.get(), 0, 0, m_size.width(), m_size.height(), false, map.get()));
        std::vector<GifPixelType> line(static_cast<std::size_t>(m_size.width()));
        for (int y = 0; y < m_size.height(); ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(frame.constScanLine(y));
            QRgb last = ~row[0];
            GifPixelType index = 0;
            for (int x = 0; x < m_size.width(); ++x) {
                if (row[x] != last)
                    index = palette.Index(last = row[x]);
                line[static_cast<std::size_t>(x)] = index;
            }
            Check(EGifPutLine(m_gif.get(), line.data(), m_size.width()));
            Drain(WriteChunk);
        }
    }

    void Finish() override
    {
        int error = 0;
        // Writes the trailer, and frees the writer either way.
        if (EGifCloseFile(m_gif.release(), &error) != GIF_OK)
            Fail(error);
        Drain(1);
    }

private:
    // giflib's writer: held here and handed to the file outside giflib, as
    // an exception must not pass through its C code.
    static int Output(GifFileType *gif, const GifByteType *bytes, int size)
    {
        auto *self = static_cast<CGifEncoder *>(gif->UserData);
        try {
            self->m_pending.append(reinterpret_cast<const char *>(bytes), size);
            return size;
        } catch (const std::bad_alloc &) {
            self->m_outOfMemory = true;
            return 0;
        }
    }

    void Drain(qsizetype atLeast)
    {
        if (m_pending.size() >= atLeast) {
            m_file.Write(m_pending.constData(), static_cast<std::size_t>(m_pending.size()));
            m_pending.clear();
        }
    }

    void Check(int result)
    {
        if (result != GIF_OK)
            Fail(m_gif ? m_gif->Error : E_GIF_ERR_WRITE_FAILED);
    }

    [[noreturn]] void Fail(int error)
    {
        if (m_outOfMemory || error == E_GIF_ERR_NOT_ENOUGH_MEM)
            throw std::bad_alloc();
        Failed("GIF", QString::fromLatin1(GifErrorString(error)));
    }

    struct CClose
    {
        void operator()(GifFileType *gif) const { EGifCloseFile(gif, nullptr); }
    };

    COutputFile &m_file;
    QSize m_size;
    std::array<GifByteType, 4> m_control{};
    QByteArray m_pending;
    bool m_outOfMemory = false;
    // Last, so that it goes first: closing it writes into m_pending.
    std::unique_ptr<GifFileType, CClose> m_gif;
};

// Lossless WebP frames in an animated WebP file. The file starts with its
// own size, known only at the end, so the frames wait in a scratch file
// beside it rather than in memory (as libwebp's animation encoder would keep
// them, whole file and all, hundreds of megabytes at full screen).
class CWebPEncoder final : public CFrameEncoder
{
public:
    CWebPEncoder(COutputFile &file, const QString &path, QSize size, std::chrono::milliseconds delay)
        : m_file(file), m_size(size), m_delay(static_cast<int>(delay.count())),
          m_scratch(path + QStringLiteral(".frames-XXXXXX"))
    {
        if (!WebPConfigInit(&m_config) || !WebPConfigLosslessPreset(&m_config, 3))
            Failed("WebP", QStringLiteral("the library does not match its headers"));
        m_config.exact = 1;
        if (!m_scratch.open())
            throw CFileException(m_scratch.errorString());
    }

    void Add(const QImage &frame) override
    {
        // Format_RGB32 is 0xffRRGGBB words, WebP's own ARGB: no copy. So is
        // ARGB32, whose alpha the file then says it has.
        m_alpha = m_alpha || frame.hasAlphaChannel();
        WebPPicture picture;
        if (!WebPPictureInit(&picture))
            Failed("WebP", QStringLiteral("the library does not match its headers"));
        picture.use_argb = 1;
        picture.width = m_size.width();
        picture.height = m_size.height();
        picture.argb = const_cast<uint32_t *>(reinterpret_cast<const uint32_t *>(frame.constBits()));
        picture.argb_stride = static_cast<int>(frame.bytesPerLine() / 4);
        WebPMemoryWriter writer;
        WebPMemoryWriterInit(&writer);
        const std::unique_ptr<WebPMemoryWriter, void (*)(WebPMemoryWriter *)> owned(&writer, WebPMemoryWriterClear);
        picture.writer = WebPMemoryWrite;
        picture.custom_ptr = &writer;
        if (!WebPEncode(&m_config, &picture)) {
            if (picture.error_code == VP8_ENC_ERROR_OUT_OF_MEMORY)
                throw std::bad_alloc();
            Failed("WebP", QStringLiteral("the frame could not be encoded (error %1)").arg(picture.error_code));
        }
        // A still file is "RIFF", its size and "WEBP" before the image's
        // chunk; the frame takes that chunk.
        constexpr std::size_t StillHeader = 12;
        const std::size_t image = writer.size - StillHeader;
        QByteArray header = Chunk("ANMF", 16 + image);
        header += U24(0) + U24(0) + U24(m_size.width() - 1) + U24(m_size.height() - 1) + U24(m_delay);
        header += char(0x02); // opaque: put in place, not blended; left as it is
        Scratch(header.constData(), header.size());
        Scratch(reinterpret_cast<const char *>(writer.mem) + StillHeader, static_cast<qint64>(image));
    }

    void Finish() override
    {
        const qint64 frames = m_scratch.size();
        QByteArray head = Chunk("VP8X", 10) + char(m_alpha ? 0x12 : 0x02) + U24(0) + U24(m_size.width() - 1) +
                          U24(m_size.height() - 1); // flags: animated, with alpha or not
        // White, or nothing under transparent frames; repeat without end.
        head += Chunk("ANIM", 6) + U32(m_alpha ? 0 : 0xFFFFFFFF) + U16(0);
        const quint64 riff = 4 + quint64(head.size()) + quint64(frames);
        if (riff > 0xFFFFFFFEu)
            Failed("WebP", QStringLiteral("the animation is larger than a WebP file can be (4 GB)"));
        head = "RIFF" + U32(static_cast<quint32>(riff)) + "WEBP" + head;
        m_file.Write(head.constData(), static_cast<std::size_t>(head.size()));
        if (!m_scratch.seek(0))
            throw CFileException(m_scratch.errorString());
        QByteArray piece;
        for (qint64 left = frames; left > 0; left -= piece.size()) {
            piece = m_scratch.read(std::min<qint64>(left, WriteChunk));
            if (piece.isEmpty())
                throw CFileException(m_scratch.errorString());
            m_file.Write(piece.constData(), static_cast<std::size_t>(piece.size()));
        }
    }

private:
    static QByteArray U16(quint32 value) { return QByteArray(1, char(value & 0xFF)) + char(value >> 8 & 0xFF); }
    static QByteArray U24(quint32 value) { return U16(value) + char(value >> 16 & 0xFF); }
    static QByteArray U32(quint32 value) { return U24(value) + char(value >> 24 & 0xFF); }
    static QByteArray Chunk(const char *tag, std::size_t size) { return tag + U32(static_cast<quint32>(size)); }

    void Scratch(const char *data, qint64 size)
    {
        if (m_scratch.write(data, size) != size)
            throw CFileException(m_scratch.errorString());
    }

    COutputFile &m_file;
    QSize m_size;
    int m_delay;
    bool m_alpha = false;
    WebPConfig m_config;
    QTemporaryFile m_scratch;
};

} // namespace

std::unique_ptr<CFrameEncoder> CFrameEncoder::Create(Kind kind, COutputFile &file, const QString &path,
                                                     QSize size, std::chrono::milliseconds delay)
{
    if (kind == Kind::Gif)
        return std::make_unique<CGifEncoder>(file, size, delay);
    return std::make_unique<CWebPEncoder>(file, path, size, delay);
}
