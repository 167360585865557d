#pragma once

#include "export/SvgImport.h"
#include "model/DesignDocument.h"

#include <QObject>

#include <functional>

class CSelection;
class CToolManager;
class QAction;
class QMenu;
class QWidget;

// Shapes in and out of the design: Cut, Copy and Paste through the system
// clipboard, and Import SVG... of a drawing from a file or dropped on the
// window. Copy offers the selection three ways: exactly, under Vortigram's
// own type, for another Vortigram; as SVG and as a picture, for other
// programs. Paste takes Vortigram's own shapes, else an SVG drawing, else
// says what the clipboard holds. What comes in is added on top as one step
// and selected in select mode, or refused whole with the reason, the design
// left as it was. None of the commands acts while the window is busy.
class CClipboardCommands : public QObject
{
    Q_OBJECT

public:
    struct Context
    {
        QWidget &window;
        CDesignDocument &document;
        CSelection &selection;
        CToolManager &tools;
        std::function<bool()> busy;
        // The scale the canvas draws at, and the strip's selected colours for
        // a drawing that leaves its shapes without.
        std::function<SvgImportOptions()> options;
        // Where Import SVG... starts.
        std::function<QString()> folder;
    };

    explicit CClipboardCommands(Context context);

    // Cut and Copy (enabled only with a selection), Paste, Import SVG...
    QAction *CutAction() const { return m_cut; }
    QAction *CopyAction() const { return m_copy; }
    QAction *PasteAction() const { return m_paste; }
    QAction *ImportAction() const { return m_import; }
    // The right-click menu's submenu of Cut, Copy and Paste: every letter
    // of their names is another item's key there.
    void AddTo(QMenu &menu) const;

    // The selected shapes on the clipboard; false when they could not be put there (told).
    bool Copy();
    void Cut();
    void Paste();
    // Imports the drawing of an SVG file; false when it was refused (told).
    bool ImportFile(const QString &path);
    // Files dropped on the window, when the first is an SVG drawing (by its
    // extension): it is imported, and a word said of the others. False,
    // doing nothing, for any other file.
    bool ImportDropped(const QStringList &files);

private:
    QAction *Make(const QString &text, const QKeySequence &key, const std::function<void()> &command);
    bool ImportSvgOf(const QString &source, const std::function<SvgImport(const SvgImportOptions &)> &read);
    bool AddOnTop(ShapeList shapes, const QString &name);
    void Warn(const QString &text) const;

    Context m_context;
    QAction *m_cut;
    QAction *m_copy;
    QAction *m_paste;
    QAction *m_import;
};
