#include "files/DocumentManager.h"

#include "export/DesignFile.h"
#include "export/DesignReader.h"
#include "model/Copies.h"
#include "model/DesignDocument.h"
#include "commands/Commands.h"
#include "platform/DialogSeam.h"
#include "platform/OutputFile.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

#include <new>

namespace {

const QString RecentSection = QStringLiteral("Recent");
const QString FolderEntry = QStringLiteral("Folder");

// A folder as the user knows it: the home folder and those in it from ~.
QString ShownFolder(const QString &folder)
{
    const QString home = QDir::homePath();
    if (home == QStringLiteral("/") || !(folder == home || folder.startsWith(home + '/')))
        return folder;
    return '~' + folder.mid(home.size());
}

// Qt has no Save As button: Save All stands for Generate beside Save.
constexpr auto GenerateAnswer = QMessageBox::SaveAll;

} // namespace

CDocumentManager::CDocumentManager(QWidget &window, CDesignDocument &document,
                                   std::function<bool()> busy)
    : QObject(&window), m_window(window), m_document(document), m_busy(std::move(busy)),
      m_ties(document.UndoStack())
{
    const auto make = [this](const QString &text, const QKeySequence &key, auto slot) {
        auto *action = new QAction(text, this);
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        m_window.addAction(action);
        return action;
    };
    m_open = make(QStringLiteral("&Open Design..."), QKeySequence(Qt::CTRL | Qt::Key_O), &CDocumentManager::OnOpen);
    m_save = make(QStringLiteral("Sa&ve"), QKeySequence(Qt::CTRL | Qt::Key_S), &CDocumentManager::OnSave);
    m_generate = make(QStringLiteral("&Generate..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                      &CDocumentManager::OnGenerate);
    connect(&m_ties, &CFileTies::Changed, this, &CDocumentManager::UpdateCaption);
    UpdateCaption();
}

QString CDocumentManager::Section()
{
    return RecentSection;
}

void CDocumentManager::Load(const CSettingsStore &store)
{
    m_recent.clear();
    for (int i = 0; i < MostRecent; ++i) {
        const QString path = store.Read(RecentSection, QString::number(i));
        if (path.isEmpty())
            break;
        m_recent << path;
    }
    m_folder = store.Read(RecentSection, FolderEntry);
}

void CDocumentManager::Save(CSettingsStore &store) const
{
    store.RemoveSection(RecentSection);
    for (int i = 0; i < m_recent.size(); ++i)
        store.Write(RecentSection, QString::number(i), m_recent[i]);
    if (!m_folder.isEmpty())
        store.Write(RecentSection, FolderEntry, m_folder);
}

QMenu *CDocumentManager::RecentMenu(QWidget *parent)
{
    auto *menu = new QMenu(QStringLiteral("Op&en Recent"), parent);
    menu->setToolTipsVisible(true);
    QStringList names;
    for (const QString &path : m_recent)
        names << QFileInfo(path).fileName();
    for (qsizetype i = 0; i < m_recent.size(); ++i) {
        const QString &path = m_recent[i];
        QString name = names[i];
        if (names.count(name) > 1)
            name += QStringLiteral(" (%1)").arg(ShownFolder(QFileInfo(path).absolutePath()));
        // The digits are the access keys: a name's own & is no key.
        const QString text = QStringLiteral("&%1 %2").arg(QString::number(i + 1), name.replace('&', QStringLiteral("&&")));
        QAction *item = menu->addAction(text, this, [this, path] {
            if (!m_busy())
                Open(path);
        });
        item->setToolTip(path);
        item->setStatusTip(path);
        // A design that is no longer there cannot be opened.
        item->setEnabled(QFileInfo(path).isFile());
    }
    menu->addSeparator();
    QAction *clear = menu->addAction(QStringLiteral("&Clear List"), this, [this] {
        m_recent.clear();
        emit RecentChanged();
    });
    clear->setEnabled(!m_recent.isEmpty());
    menu->setEnabled(true);
    return menu;
}

void CDocumentManager::OnOpen()
{
    if (m_busy())
        return;
    const QString path = CDialogSeam::Current().OpenFileName(&m_window, m_folder);
    if (!path.isEmpty())
        Open(path);
}

bool CDocumentManager::Open(const QString &path)
{
    if (m_busy())
        return false;
    ShapeList shapes;
    try {
        shapes = ReadDesign(path);
    } catch (const CDesignReadError &e) {
        Say(&m_window, QMessageBox::Warning, DesignReadMessage(path, e));
        return false;
    } catch (const std::bad_alloc &) {
        Say(&m_window, QMessageBox::Warning, QStringLiteral("%1 is too large to open.").arg(path));
        return false;
    }
    if (!KeepOrDropChanges(QStringLiteral("opening %1").arg(QFileInfo(path).fileName())))
        return false;
    RecogniseGroups(shapes);
    m_document.ReplaceAll(std::move(shapes), QStringLiteral("Open design"));
    SetFile(path);
    return true;
}

void CDocumentManager::OpenDropped(const QStringList &files)
{
    if (files.isEmpty())
        return;
    Open(files.constFirst());
    if (files.size() > 1)
        Say(&m_window, QMessageBox::Information,
            QStringLiteral("%1 files were dropped; only the first, %2, was opened.")
                .arg(files.size())
                .arg(QFileInfo(files.constFirst()).fileName()));
}

bool CDocumentManager::New()
{
    if (m_busy() || !KeepOrDropChanges(QStringLiteral("starting a new design")))
        return false;
    m_document.ReplaceAll({}, QStringLiteral("New design"));
    // Nothing to lose in an empty design, as at the start.
    m_ties.Tie({}, true);
    return true;
}

void CDocumentManager::Restored()
{
    m_ties.Tie({}, false);
}

bool CDocumentManager::OnSave()
{
    if (m_busy())
        return false;
    const QString file = FileName();
    return file.isEmpty() ? OnGenerate() : Write(file);
}

bool CDocumentManager::OnGenerate()
{
    if (m_busy())
        return false;
    const QString path = CDialogSeam::Current().SaveFileName(&m_window, QStringLiteral("JVF"), m_folder);
    return !path.isEmpty() && Write(path);
}

bool CDocumentManager::Write(const QString &path)
{
    try {
        ExportDesign(path, m_document.Shapes());
        SetFile(path);
        emit Written(FileName());
        return true;
    } catch (const CFileException &e) {
        Say(&m_window, QMessageBox::Warning, QStringLiteral("Problem opening file!\n") + e.Description().left(255));
    } catch (const CDesignLimitError &e) {
        Say(&m_window, QMessageBox::Warning, QString::fromStdString(e.what()));
    } catch (const std::bad_alloc &) {
        Say(&m_window, QMessageBox::Warning, QStringLiteral("Memory allocation problem"),
            QStringLiteral("Memory Problem"));
    }
    return false;
}

bool CDocumentManager::KeepOrDropChanges(const QString &before)
{
    if (!m_document.IsModified())
        return true;
    // Save answers as Ctrl+S does: into the design's file, or with none, Generate.
    const QString file = QFileInfo(FileName()).fileName();
    const QString text = file.isEmpty()
        ? QStringLiteral("The design has shapes that were not generated into a design file.\nGenerate it before %1?").arg(before)
        : QStringLiteral("The design has changes that were not saved to %1.\nSave them before %2?").arg(file, before);
    CDialogSeam::Choices choices = {{QMessageBox::Save, file.isEmpty() ? QStringLiteral("&Generate...") : QStringLiteral("&Save")},
                                    {QMessageBox::Discard, QStringLiteral("&Discard")},
                                    {QMessageBox::Cancel, QStringLiteral("&Cancel")}};
    if (!file.isEmpty())
        choices.insert(1, {GenerateAnswer, QStringLiteral("&Generate...")});
    const auto answer = CDialogSeam::Current().Ask(&m_window, QCoreApplication::applicationName(), text,
                                                   choices, QMessageBox::Cancel);
    if (answer == QMessageBox::Save)
        return OnSave();
    if (answer == GenerateAnswer)
        return OnGenerate();
    return answer == QMessageBox::Discard;
}

void CDocumentManager::SetFile(const QString &path)
{
    // This step is what the file holds, and so are the later steps' edits of it.
    const QString file = QFileInfo(path).absoluteFilePath();
    m_ties.Tie(file, true);
    Remember(file);
}

void CDocumentManager::Remember(const QString &path)
{
    m_recent.removeAll(path);
    m_recent.prepend(path);
    while (m_recent.size() > MostRecent)
        m_recent.removeLast();
    m_folder = QFileInfo(path).absolutePath();
    emit RecentChanged();
}

void CDocumentManager::UpdateCaption()
{
    // "[*]" is where Qt shows the modified mark. Unchanged at most steps, as
    // each pointer move of a drag is one.
    const QString file = FileName();
    const QString title = file.isEmpty() ? QStringLiteral("Vortigram")
                                         : QFileInfo(file).fileName() + QStringLiteral("[*] - Vortigram");
    const bool modified = !file.isEmpty() && m_document.IsModified();
    if (title != m_window.windowTitle())
        m_window.setWindowTitle(title);
    if (modified != m_window.isWindowModified())
        m_window.setWindowModified(modified);
}
