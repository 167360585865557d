#pragma once

#include "files/FileTies.h"

#include <QObject>
#include <QStringList>

#include <functional>

class CDesignDocument;
class CSettingsStore;
class QAction;
class QMenu;
class QWidget;

// The design's file and the commands on it: Open, Open Recent, Save,
// Generate (Save As), the question before unexported changes are dropped,
// and the window's caption, which names the file and shows when the design
// differs from it. Each undo step keeps its own file (see CFileTies). The recent designs and the folder last used are kept in
// the settings file under a section of their own.
class CDocumentManager : public QObject
{
    Q_OBJECT

public:
    static constexpr int MostRecent = 8;

    // busy: commands wait while it is true.
    CDocumentManager(QWidget &window, CDesignDocument &document, std::function<bool()> busy);

    // The file the design was opened from or written to, as of the current
    // undo step; empty for none.
    QString FileName() const { return m_ties.File(); }
    QStringList RecentFiles() const { return m_recent; }
    QString Folder() const { return m_folder; }

    void Load(const CSettingsStore &store);
    void Save(CSettingsStore &store) const;
    static QString Section();

    QAction *OpenAction() const { return m_open; }
    QAction *SaveAction() const { return m_save; }
    QAction *GenerateAction() const { return m_generate; }
    // "Open Recent", made afresh each time the menu opens: "&1 name", with
    // "(folder)" after a name that two entries share, the whole path in the
    // item's tool and status tips.
    QMenu *RecentMenu(QWidget *parent);

    // Replaces the design with the file's, as one step that can be undone,
    // after asking about unexported changes. False when nothing changed.
    bool Open(const QString &path);
    // Files dropped on the window: the first is opened, and a word said of the others.
    void OpenDropped(const QStringList &files);
    // An empty design with no file, as one step that can be undone, after
    // asking about unexported changes. False when nothing changed.
    bool New();
    // The design came back from a crash: it has no file.
    void Restored();
    // Asks whether to save (or generate) unexported changes before, for
    // example, "closing"; false to stop.
    bool KeepOrDropChanges(const QString &before);

public slots:
    void OnOpen();
    // Writes the design to its file without asking, or generates it when
    // it has none. True when the design was written.
    bool OnSave();
    // Asks for a file and writes the design to it.
    bool OnGenerate();

signals:
    // The recent designs or the folder changed: the settings want writing.
    void RecentChanged();
    // The design was written to this file.
    void Written(const QString &path);

private:
    bool Write(const QString &path);
    void SetFile(const QString &path);
    void Remember(const QString &path);
    void UpdateCaption();

    QWidget &m_window;
    CDesignDocument &m_document;
    std::function<bool()> m_busy;
    CFileTies m_ties;
    QStringList m_recent;
    QString m_folder;
    QAction *m_open;
    QAction *m_save;
    QAction *m_generate;
};
