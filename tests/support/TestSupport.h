#pragma once

#include "platform/DialogSeam.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <deque>
#include <optional>

// Points every QSettings of this process at a fresh temporary folder for its
// lifetime, so tests never see or touch the user's own settings.
class TempSettings
{
public:
    TempSettings();
    ~TempSettings();
    QString Path() const { return m_dir.path(); }
    // The INI file the store writes.
    QString IniFile() const;
    // Makes the INI file hold exactly these bytes.
    void WriteIni(const QByteArray &content) const;

private:
    QTemporaryDir m_dir;
};

// Answers the program's modal dialogs from queues the test fills, and records
// what was asked. An empty queue answers Cancel.
class ScriptedSeam : public CDialogSeam
{
public:
    ScriptedSeam() { CDialogSeam::Install(this); }
    ~ScriptedSeam() override { CDialogSeam::Install(nullptr); }

    struct Shown
    {
        QMessageBox::Icon icon;
        QString caption;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    std::deque<QMessageBox::StandardButton> messageAnswers;
    std::deque<QString> fileAnswers;
    std::deque<std::optional<std::uint32_t>> colourAnswers;

    QList<Shown> messages;
    QStringList fileSuffixes;
    QList<std::uint32_t> colourInitials;

    QMessageBox::StandardButton Message(QWidget *parent, QMessageBox::Icon icon,
                                        const QString &caption, const QString &text,
                                        QMessageBox::StandardButtons buttons) override;
    QString SaveFileName(QWidget *parent, const QString &defaultSuffix) override;
    std::optional<std::uint32_t> ChooseColour(QWidget *parent, std::uint32_t initial) override;
};

// The colour values of a swatch list or drop-down, in order.
template <typename List>
QList<int> Colours(const List &list)
{
    QList<int> colours;
    for (int i = 0; i < list.ColourCount(); ++i)
        colours.append(list.ColourAt(i));
    return colours;
}

// Appends the colours to a swatch list or drop-down.
template <typename List>
void AddColours(List &list, const QList<int> &colours)
{
    for (const int colour : colours)
        list.AddColour(colour);
}

QByteArray ReadFileBytes(const QString &path);
void WriteFileBytes(const QString &path, const QByteArray &bytes);
