#pragma once

#include "model/ObjectStorage.h"
#include "platform/DialogSeam.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>

// Points the settings file and the recovery folder of this process at a
// fresh temporary folder for its lifetime: tests never touch the user's own.
class TempSettings
{
public:
    TempSettings();
    ~TempSettings();
    QString Path() const { return m_dir.path(); }
    QString IniFile() const;
    QString StateFolder() const { return m_dir.path() + "/state/Marbrel/vortigram"; }
    void WriteIni(const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
};

// Answers the program's dialogs from queues the test fills, and records the
// texts shown. An empty queue answers Cancel where it can, else the default.
class ScriptedSeam : public CDialogSeam
{
public:
    ScriptedSeam() { CDialogSeam::Install(this); }
    ~ScriptedSeam() override { CDialogSeam::Install(nullptr); }

    std::deque<QMessageBox::StandardButton> answers; // messages and questions alike
    std::deque<QString> files;                       // Save As and Open
    std::deque<std::optional<std::uint32_t>> colours;
    QStringList texts;                               // every message and question shown
    QList<std::uint32_t> colourInitials;

    QMessageBox::StandardButton Message(QWidget *, QMessageBox::Icon, const QString &caption,
                                        const QString &text,
                                        QMessageBox::StandardButtons buttons) override;
    QMessageBox::StandardButton Ask(QWidget *, const QString &caption, const QString &text,
                                    const Choices &choices,
                                    QMessageBox::StandardButton escape) override;
    QString SaveFileName(QWidget *, const QString &) override { return Next(files); }
    QString OpenFileName(QWidget *) override { return Next(files); }
    std::optional<std::uint32_t> ChooseColour(QWidget *, std::uint32_t initial) override;

private:
    template <typename T> static T Next(std::deque<T> &queue)
    {
        T front = queue.empty() ? T{} : queue.front();
        if (!queue.empty())
            queue.pop_front();
        return front;
    }
};

// While it lives, files are opened with the rights of user nobody, so that
// permissions hold when the tests run as root, as in CI.
class CUnprivileged
{
public:
    CUnprivileged();
    ~CUnprivileged();
    CUnprivileged(const CUnprivileged &) = delete;
    CUnprivileged &operator=(const CUnprivileged &) = delete;
};

// A disk under folder that Fill() leaves room for only so many more bytes: a
// tmpfs when the tests run as root, else the write() of support/enospc.c
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

// A shape of the given type (1 polygon, 2 polyline) with these vertices.
std::unique_ptr<CObjectStorage> MakeShape(int type, const std::vector<PolarPoint> &points,
                                          ShapeColour fill = {255, 255, 255},
                                          ShapeColour pen = {0, 0, 0});
QByteArray Le(double value); // little-endian bytes of a double
QByteArray ReadFileBytes(const QString &path);
void WriteFileBytes(const QString &path, const QByteArray &bytes);

template <typename List> QList<int> Colours(const List &list)
{
    QList<int> colours;
    for (int i = 0; i < list.ColourCount(); ++i)
        colours.append(list.ColourAt(i));
    return colours;
}
