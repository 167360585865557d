#pragma once

#include "model/ObjectStorage.h"
#include "platform/DialogSeam.h"

#include <QHash>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>

// Points the settings file and the recovery folder at a fresh temporary
// folder for its lifetime: tests never touch the user's own.
class TempSettings
{
public:
    TempSettings();
    ~TempSettings();
    QString Path() const { return m_dir.path(); }
    QString IniFile() const { return Path() + "/Marbrel/vortigram.conf"; }
    void WriteIni(const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
};

// Answers the program's dialogs from queues the test fills and records the
// texts shown; an empty queue answers Cancel, or the default.
class ScriptedSeam : public CDialogSeam
{
public:
    ScriptedSeam() { Install(this); }
    ~ScriptedSeam() override { Install(nullptr); }

    std::deque<QMessageBox::StandardButton> answers;
    std::deque<QString> files; // Save As, Open and Import
    std::deque<std::uint32_t> colours; // empty: the chooser is cancelled
    QStringList texts;
    QStringList offered; // each question's labels, joined by |
    QList<std::uint32_t> initials; // the chooser's starting colours

    QMessageBox::StandardButton Message(QWidget *, QMessageBox::Icon, const QString &, const QString &text,
                                        QMessageBox::StandardButtons buttons) override;
    QMessageBox::StandardButton Ask(QWidget *, const QString &, const QString &text, const Choices &choices,
                                    QMessageBox::StandardButton escape) override;
    QString SaveFileName(QWidget *, const QString &, const QString &folder) override { return Chosen(folder); }
    QString OpenFileName(QWidget *, const QString &folder) override { return Chosen(folder); }
    QString ImportFileName(QWidget *, const QString &folder) override { return Chosen(folder); }
    QStringList folders; // where the file dialogs started
    QString Chosen(const QString &folder) { folders << folder; return Next(files, QString()); }
    std::optional<std::uint32_t> ChooseColour(QWidget *, std::uint32_t initial) override;

    // Export choosers take the files queue; the size dialog answers sizes
    // (empty: cancelled; an invalid size: its initial one) and its boxes as
    // sizeChoices has them by their text without '&' (the others as they
    // were), keeping what they were in choicesIn; the
    // print preview prints to the PDF printTo (empty: it is closed), with
    // its extra actions checked.
    std::deque<QSize> sizes;
    QHash<QString, bool> sizeChoices{{"Draw the grid and axes", true}};
    QStringList choicesIn; // "text=0|1" of every box offered
    QString printTo;
    QString ExportFileName(QWidget *, const QString &, const QStringList &) override { return Next(files, QString()); }
    std::optional<QSize> PictureSize(QWidget *, const QString &, QSize initial, int, const QList<Choice> &choices) override;
    void PrintPreview(QWidget *, QPrinter &printer, const std::function<void(QPrinter &)> &paint,
                      const QList<QAction *> &extras) override;

    // The program's own dialogs, each answered by the next function (empty: cancelled).
    std::deque<std::function<int(QDialog &)>> runs;
    int Run(QDialog &d) override { return runs.empty() ? 0 : Next(runs, {})(d); }

    template <typename T> static T Next(std::deque<T> &queue, T otherwise)
    {
        if (queue.empty())
            return otherwise;
        otherwise = queue.front();
        queue.pop_front();
        return otherwise;
    }
};

// While it lives, files are opened as user nobody, so that permissions hold
// when the tests run as root, as in CI.
struct CUnprivileged
{
    CUnprivileged();
    ~CUnprivileged();
};

// A disk under folder that Fill() leaves room for only so many more bytes: a
// tmpfs when the tests run as root, else the write() of support/enospc.cpp
// (preloaded by ctest) failing with ENOSPC. Why() says why neither works.
class CSmallDisk
{
public:
    explicit CSmallDisk(const QString &folder);
    ~CSmallDisk();
    void Fill(int room);
    QString Why() const { return m_why; }

private:
    QString m_folder;
    bool m_mounted = false;
    QString m_why;
};

// Syncs that fail as on a disk that cannot keep its data (EIO): fsync() of a
// file ('f') or a folder ('d') and fdatasync() ('a') under folder, for the
// kinds listed. The test executable's own fsync() and fdatasync() take the
// program's calls, and Qt's.
struct FailingSyncs
{
    static inline QByteArray folder, kinds;
};

// A shape of the given type (1 polygon, 2 polyline) with these vertices.
std::unique_ptr<CObjectStorage> MakeShape(int type, const std::vector<PolarPoint> &points,
                                          ShapeColour fill = {255, 255, 255}, ShapeColour pen = {});
QByteArray Le(double value); // little-endian bytes of a double
QByteArray ReadFileBytes(const QString &path);
void WriteFileBytes(const QString &path, const QByteArray &bytes);

// Values as one line of text, so a whole state compares with one literal:
// numbers to 12 digits, lists item by item.
inline QString Text(double value) { return QString::number(value, 'g', 12); }
inline QString Text(const QString &value) { return value; }
template <typename T> QString Text(const QList<T> &values)
{
    QStringList parts;
    for (const T &value : values)
        parts << Text(value);
    return parts.join(' ');
}
template <typename... T> QString Str(const T &...values)
{
    return QStringList{Text(values)...}.join(' ');
}
// The colours of a swatch list or drop-down.
template <typename List> QList<int> Colours(const List &list)
{
    QList<int> colours;
    for (int i = 0; i < list.ColourCount(); ++i)
        colours << list.ColourAt(i);
    return colours;
}
