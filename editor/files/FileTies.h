#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <vector>

class QUndoCommand;
class QUndoStack;

// The file each step of a design's undo history is tied to, and whether
// that file holds exactly that step, so that Undo and Redo bring back the
// file, the caption and the mark of the step they go to, and Save never
// writes a design into a file it did not come from.
//
// Step 0 is the design before any command, each later step the design after
// one more command. A step is tied to the file of the step before it, unless
// an Open, a restore, a Save or a Generate tied it to one of its own (or to
// none); a Save or Generate also ties the later steps of the redo branch
// that followed it, up to the next step with a file of its own. A file holds
// at most one step: the one last opened from it or written to it. With no
// file, step 0 counts as held: the empty design a window begins with leaves
// nothing to lose.
//
// The undo stack's clean state follows the current step: clean when its file
// holds it. The stack's own single clean index cannot say this for several
// files, and it also keeps a drag from merging into a step a file holds.
class CFileTies : public QObject
{
    Q_OBJECT

public:
    explicit CFileTies(QUndoStack &stack);

    // The current step's file; empty for none.
    QString File() const { return m_steps[static_cast<std::size_t>(m_index)].file; }
    // Ties the current step, and the later ones that follow its file, to
    // path (absolute; empty for none), which holds it when holds is true.
    void Tie(const QString &path, bool holds);

signals:
    // The current step, its file or whether the file holds it changed.
    void Changed();

private:
    void Follow();
    void Cut(std::size_t size);
    void SetClean();

    struct Step
    {
        const QUndoCommand *command; // the one that led here; null for step 0
        QString file;
        bool own; // tied by an Open, a restore or a write, not by the step before
    };

    QUndoStack &m_stack;
    std::vector<Step> m_steps;  // steps 0 to the stack's count
    QHash<QString, int> m_held; // the step each file holds
    int m_index = 0;            // the current step, as last followed
};
