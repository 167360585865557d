// Build-time helper: renders the application icon, drawn as XPM, into the
// PNG sizes that desktops look for in the hicolor icon theme.
//
// usage: vortigram_icon_png <icon.xpm> <out.png> <size>

#include <QImage>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <icon.xpm> <out.png> <size>\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[3]);
    QImage icon;
    if (!icon.load(QString::fromLocal8Bit(argv[1]), "XPM") || size <= 0) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    icon = icon.convertToFormat(QImage::Format_ARGB32);
    if (icon.width() != size || icon.height() != size) {
        // Whole multiples keep the hard pixel edges of the drawing; other
        // sizes are smoothed rather than unevenly doubled.
        const bool whole = size % icon.width() == 0 && size % icon.height() == 0;
        icon = icon.scaled(size, size, Qt::IgnoreAspectRatio,
                           whole ? Qt::FastTransformation : Qt::SmoothTransformation);
    }
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
