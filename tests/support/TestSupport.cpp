#include "support/TestSupport.h"

#include "platform/SettingsStore.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Sync(const char *name, char kind, int fd)
{
    struct stat info;
    if (kind == 'f' && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        kind = 'd';
    char path[4096];
    const ssize_t length = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path);
    if (FailingSyncs::kinds.contains(kind) && length > 0 && QByteArray(path, length).startsWith(FailingSyncs::folder)) {
        errno = EIO;
        return -1;
    }
    return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, name))(fd);
}

} // namespace

extern "C" int fsync(int fd)
{
    return Sync("fsync", 'f', fd);
}

extern "C" int fdatasync(int fd)
{
    return Sync("fdatasync", 'a', fd);
}

TempSettings::TempSettings()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, m_dir.path() + "/system");
    qputenv("XDG_STATE_HOME", (m_dir.path() + "/state").toLocal8Bit());
}

TempSettings::~TempSettings()
{
    // Anything after this test must not inherit its folder, which goes now.
    const QString gone = QDir::tempPath() + "/vortigram-no-settings";
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, gone);
    qputenv("XDG_STATE_HOME", gone.toLocal8Bit());
}

void TempSettings::WriteIni(const QByteArray &content) const
{
    QDir().mkpath(m_dir.path() + "/Marbrel");
    WriteFileBytes(IniFile(), content);
}

QMessageBox::StandardButton ScriptedSeam::Message(QWidget *, QMessageBox::Icon, const QString &,
                                                  const QString &text,
                                                  QMessageBox::StandardButtons buttons)
{
    texts << text;
    return Next(answers, buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok);
}

QMessageBox::StandardButton ScriptedSeam::Ask(QWidget *, const QString &, const QString &text,
                                              const Choices &choices,
                                              QMessageBox::StandardButton escape)
{
    texts << text;
    offered << QString();
    for (const auto &choice : choices)
        offered.last() += (offered.last().isEmpty() ? "" : "|") + choice.second;
    return Next(answers, escape != QMessageBox::NoButton ? escape : choices.constFirst().first);
}

std::optional<std::uint32_t> ScriptedSeam::ChooseColour(QWidget *, std::uint32_t initial)
{
    initials << initial;
    if (colours.empty())
        return std::nullopt;
    return Next(colours, 0u);
}

std::optional<QSize> ScriptedSeam::PictureSize(QWidget *, const QString &, QSize initial, int,
                                               const QList<Choice> &choices)
{
    if (sizes.empty())
        return std::nullopt;
    for (const Choice &choice : choices) {
        const QString text = QString(choice.text).remove(u'&');
        choicesIn << text + u'=' + QString::number(*choice.value);
        *choice.value = sizeChoices.value(text, *choice.value);
    }
    const QSize size = Next(sizes, QSize());
    return size.isValid() ? size : initial;
}

void ScriptedSeam::PrintPreview(QWidget *, QPrinter &printer, const std::function<void(QPrinter &)> &paint,
                                const QList<QAction *> &extras)
{
    if (printTo.isEmpty())
        return;
    for (QAction *extra : extras)
        extra->setChecked(true);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printTo);
    paint(printer);
}

CUnprivileged::CUnprivileged()
{
    if (geteuid() == 0 && setegid(65534) == 0 && seteuid(65534) != 0)
        [[maybe_unused]] int ignored = setegid(0);
}

CUnprivileged::~CUnprivileged()
{
    if (getuid() == 0 && seteuid(0) == 0)
        [[maybe_unused]] int ignored = setegid(0);
}

CSmallDisk::CSmallDisk(const QString &folder)
    : m_folder(folder)
{
    QDir().mkpath(folder);
    m_mounted = geteuid() == 0 && mount("tmpfs", folder.toLocal8Bit(), "tmpfs", 0, "size=1m") == 0;
    if (!m_mounted && qEnvironmentVariableIsEmpty("VORTIGRAM_ENOSPC_LIB"))
        m_why = QStringLiteral("neither root to mount a tmpfs nor the preloaded write()");
}

void CSmallDisk::Fill(int room)
{
    static int serial = 0; // tells the preloaded write() that a new count begins
    if (!m_mounted) {
        qputenv("VORTIGRAM_ENOSPC_DIR", m_folder.toLocal8Bit());
        qputenv("VORTIGRAM_ENOSPC_ROOM", QByteArray::number(room) + ' ' + QByteArray::number(++serial));
        return;
    }
    QFile filler(m_folder + "/filler");
    filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    while (filler.write(QByteArray(4096, 'x')) > 0)
        ;
    filler.resize(filler.size() - room); // tmpfs counts whole pages: room is one
}

CSmallDisk::~CSmallDisk()
{
    qunsetenv("VORTIGRAM_ENOSPC_DIR");
    if (m_mounted)
        umount2(m_folder.toLocal8Bit(), MNT_DETACH);
}

std::unique_ptr<CObjectStorage> MakeShape(int type, const std::vector<PolarPoint> &points,
                                          ShapeColour fill, ShapeColour pen)
{
    auto shape = CObjectStorage::Create(type);
    for (const PolarPoint &p : points)
        shape->AddPoint(p.angle, p.radius);
    shape->SetFillColour(fill.red, fill.green, fill.blue);
    shape->SetPenColour(pen.red, pen.green, pen.blue);
    return shape;
}

QByteArray Le(double value)
{
    QByteArray bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8); // the tests run on little-endian hosts
    return bytes;
}

QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}
