#include "editor/EditorDocument.h"

#include "editor/DocumentText.h"
#include "editor/ProgramFile.h"
#include "editor/RecentFileList.h"
#include "editor/RecoveryFile.h"
#include "editor/Rtf.h"
#include "platform/Prompts.h"
#include "platform/WinColor.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextDocument>

using namespace GlobVar;

namespace {

QString fileNameOnly(const QString& path) { return QFileInfo(path).fileName(); }

// The extension with its dot, from the last dot of the file name ("" when there is none).
QString extensionOf(const QString& path)
{
    const QString name = fileNameOnly(path);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

// A file is read and written as rich text when its own name ends in ".rtf", whatever was open before.
bool isRichTextFile(const QString& path) { return extensionOf(path) == QLatin1String(".rtf"); }

// Where the file dialogs start: the source folder when it is set and exists, otherwise the home folder
// (never the root or whatever folder the program was started in).
QString dialogFolder()
{
    if (!SourceCodePfad.isEmpty() && QFileInfo(SourceCodePfad).isDir())
        return SourceCodePfad;
    return QDir::homePath();
}

QString inLanguage(const char* german, const char* english)
{
    return Language == 1 ? QString::fromUtf8(german) : QString::fromUtf8(english);
}

} // namespace

EditorDocument::EditorDocument(QPlainTextEdit* pane, const Actions& actions, QObject* parent)
    : QObject(parent), m_pane(pane), m_actions(actions)
{
}

bool EditorDocument::isRich() const { return isRichTextFile(CurrentFileName); }

QString EditorDocument::caption(bool withMark) const
{
    return QStringLiteral("Editor - ") + fileNameOnly(CurrentFileName) + (withMark ? QStringLiteral(" *") : QString());
}

void EditorDocument::showPage(const QString& caption)
{
    emit pageWanted();
    emit captionChanged(caption);
}

int EditorDocument::textLength() const { return m_pane->document()->characterCount() - 1; }

void EditorDocument::setEnabled(std::initializer_list<QAction*> actions, bool enabled)
{
    for (QAction* a : actions)
        a->setEnabled(enabled);
}

void EditorDocument::setFileTexts()
{
    DefaultFileName = UnnamedText(Language);
    if (Language == 1) {
        FilterTextFiles = QStringLiteral("Textdateien (*.txt)|*.txt");
        FilterBasicFiles = QStringLiteral("Basic-Dateien (*.bas)|*.bas");
        FilterAllFiles = QStringLiteral("Alle Dateien (*.*)|*.*");
    } else {
        FilterTextFiles = QStringLiteral("Textfiles (*.txt)|*.txt");
        FilterBasicFiles = QStringLiteral("Basic-Files (*.bas)|*.bas");
        FilterAllFiles = QStringLiteral("Alle Files (*.*)|*.*");
    }
    datFilter();
}

void EditorDocument::orderFilter(FileKind first)
{
    const QChar bar = QLatin1Char('|');
    switch (first) {
    case FileKind::Text:
        FileFilter = FilterTextFiles + bar + FilterBasicFiles + bar + FilterAllFiles;
        DefaultExtension = QStringLiteral("txt");
        break;
    case FileKind::Basic:
        FileFilter = FilterBasicFiles + bar + FilterTextFiles + bar + FilterAllFiles;
        DefaultExtension = QStringLiteral("bas");
        break;
    case FileKind::All:
        FileFilter = FilterAllFiles + bar + FilterTextFiles + bar + FilterBasicFiles;
        DefaultExtension = QStringLiteral("*");
        break;
    }
}

void EditorDocument::datFilter()
{
    if (EnvFilter >= 0 && EnvFilter <= 2) {
        orderFilter(FileKind(EnvFilter));
    } else {
        FileFilter = FilterAllFiles;
        DefaultExtension = QStringLiteral("*");
    }
}

void EditorDocument::loadText(const QString& path)
{
    QString text;
    if (isRichTextFile(path)) {
        text = rtfToPlainText(readFileBytes(path));
        requireProgramLineLengths(path, text);
    } else {
        text = loadProgramText(path);
    }
    m_pane->setPlainText(toPaneText(text));
}

void EditorDocument::writeFile(const QString& path)
{
    if (isRichTextFile(path))
        writeFileBytesAtomically(path, plainTextToRtf(documentText(m_pane->document()), m_pane->font(),
                                                      winColorToQColor(m_pane->property("winColor").toUInt())));
    else
        saveProgramText(path, documentText(m_pane->document()));
}

void EditorDocument::loadCurrentFile()
{
    LoadingFile = true;
    try {
        loadText(CurrentFileName);
    } catch (...) {
        LoadingFile = false;
        throw;
    }
    LastLoadedLength = textLength();
    QTextCursor cursor = m_pane->textCursor();
    cursor.movePosition(QTextCursor::End);
    m_pane->setTextCursor(cursor);
    EditorModified = false;
    m_actions.saveButton->setEnabled(false);
    setEnabled({m_actions.close, m_actions.closeButton}, true);
    LoadingFile = false;
}

void EditorDocument::open(const QString& path)
{
    // A file that cannot be loaded leaves the document as it was, name included: a later Save must
    // not write the pane's text over a file the user could not even read.
    const QString previous = CurrentFileName;
    CurrentFileName = path;
    try {
        loadCurrentFile();
    } catch (...) {
        CurrentFileName = previous;
        throw;
    }
}

void EditorDocument::addRecentFile()
{
    emit recentFileAdded(RecentFileList::add(RecentFiles, RecentCount, CurrentFileName));
}

void EditorDocument::textChanged() { textChanged(textLength()); }

void EditorDocument::textChanged(int length)
{
    // A change that keeps the length (a character typed over another, lines exchanged by the sort)
    // is a change all the same: the pane's document knows whether its text differs from the last
    // load or save.
    if (!LoadingFile && (length != LastLoadedLength || m_pane->document()->isModified()))
        EditorModified = true;
    if (EditorModified) {
        emit captionChanged(caption(true));
        setEnabled({m_actions.save, m_actions.saveButton, m_actions.close, m_actions.closeButton, m_actions.undo,
                    m_actions.undoButton},
                   true);
        SortCleanupPending = true;
    }
}

void EditorDocument::openChosen()
{
    if (EditorModified) {
        saveAs();
        // The document is kept when its changes were not saved (Save As cancelled or declined).
        if (EditorModified)
            return;
    }
    Prompts::FileRequest request;
    request.title = inLanguage("Datei öffnen", "Open File");
    request.filter = FileFilter;
    request.defaultExtension = DefaultExtension;
    request.path = dialogFolder();
    const QString chosen = Prompts::instance().openFile(request);
    if (chosen.isEmpty())
        return;

    open(chosen);
    CurrentExtension = extensionOf(chosen);

    // The filter follows the type of the file just opened; the comparison is case-sensitive.
    if (CurrentExtension == QLatin1String(".txt"))
        orderFilter(FileKind::Text);
    else if (CurrentExtension == QLatin1String(".bas"))
        orderFilter(FileKind::Basic);
    else if (CurrentExtension == QLatin1String(".*"))
        orderFilter(FileKind::All);
    else
        FileFilter = FilterAllFiles; // the default extension stays as it was

    setEnabled({m_actions.close, m_actions.closeButton}, true);
    if (!m_pane->document()->isModified())
        setEnabled({m_actions.save, m_actions.saveButton}, false);
    showPage(caption(false));
    addRecentFile();
    EditorModified = false;
    m_actions.undoButton->setEnabled(false);
}

void EditorDocument::save()
{
    emit pageWanted();
    if (CurrentFileName == DefaultFileName) {
        SaveAsPending = true;
        saveAs();
        if (SaveAsPending) {
            SaveAsPending = false;
            return;
        }
    } else {
        writeFile(CurrentFileName);
        m_pane->document()->setModified(false);
        m_actions.saveButton->setEnabled(false);
    }
    emit captionChanged(caption(false));
    EditorModified = false;
    addRecentFile();
}

void EditorDocument::saveAs()
{
    PreviousFileName = CurrentFileName;
    Prompts::FileRequest request;
    if (CurrentFileName == DefaultFileName) {
        request.path = dialogFolder() + QLatin1Char('/') + DefaultFileName;
    } else {
        // The document's own folder, with its name less the extension as the proposal.
        const QFileInfo current(CurrentFileName);
        const QString name = current.fileName();
        request.path = current.absolutePath() + QLatin1Char('/') + (name.size() < 4 ? name : name.left(name.size() - 4));
    }
    request.filter = FileFilter;
    request.defaultExtension = DefaultExtension;
    request.title = inLanguage("Speichern unter...", "SaveAs...");
    const QString chosen = Prompts::instance().saveFile(request);
    if (chosen.isEmpty())
        return;

    const QString previousExtension = CurrentExtension;
    CurrentFileName = chosen;
    CurrentExtension = extensionOf(chosen);
    if (QFileInfo::exists(chosen)) {
        const QString question = inLanguage("Wollen Sie die Datei %1 überschreiben ?", "Would You Overwrite File %1 ?");
        if (Prompts::instance().confirm(question.arg(chosen)) != Prompts::Answer::Yes) {
            CurrentFileName = PreviousFileName;
            CurrentExtension = previousExtension;
            return;
        }
    }
    SaveAsPending = false;
    try {
        save();
    } catch (...) {
        // Not written: the document keeps its old name, so that it does not pass for that file.
        CurrentFileName = PreviousFileName;
        CurrentExtension = previousExtension;
        throw;
    }
}

bool EditorDocument::askToSaveChanges(const QString& question)
{
    switch (Prompts::instance().confirm(question)) {
    case Prompts::Answer::Cancel:
        return false;
    case Prompts::Answer::No:
        return true;
    case Prompts::Answer::Yes:
        save();
        // "Yes" that did not end in a saved file must not go on to discard the changes.
        return !EditorModified;
    }
    return false;
}

bool EditorDocument::askToSaveBeforeClosing()
{
    return askToSaveChanges(
        inLanguage("Änderungen speichern in <%1> ?", "Save Changes in <%1> ?").arg(CurrentFileName));
}

bool EditorDocument::mayEnd()
{
    if (!EditorModified)
        return true;
    if (CurrentFileName.isEmpty())
        CurrentFileName = DefaultFileName;
    // German in both languages, as it always was.
    return askToSaveChanges(QStringLiteral("Änderungen speichern ?"));
}

void EditorDocument::close()
{
    if (EditorModified && !askToSaveBeforeClosing()) {
        CloseCancelled = true;
        return;
    }
    m_pane->clear();
    EditorModified = false;
    setEnabled({m_actions.close, m_actions.closeButton, m_actions.save, m_actions.saveButton, m_actions.undoButton,
                m_actions.redoButton},
               false);
    showPage(QStringLiteral("Editor"));
    CurrentFileName = DefaultFileName;
}

bool EditorDocument::mayReplace() { return !EditorModified || askToSaveBeforeClosing(); }

void EditorDocument::openUnnamed(const QString& programText)
{
    CurrentFileName = DefaultFileName;
    LoadingFile = true;
    m_pane->setPlainText(toPaneText(programText));
    LoadingFile = false;
    m_actions.redoButton->setEnabled(false);
    // Against the last file loaded it is new text whatever its length.
    LastLoadedLength = -1;
    textChanged();
    showPage(caption(true));
}

void EditorDocument::openRecent(int number)
{
    close();
    if (CloseCancelled) {
        CloseCancelled = false;
        return;
    }
    open(RecentFiles.value(number - 1));
    showPage(caption(false));
    addRecentFile();
}

bool EditorDocument::openDropped(const QStringList& paths)
{
    if (paths.isEmpty())
        return false;
    // A modified document is not replaced without the close question.
    if (EditorModified && !askToSaveBeforeClosing())
        return false;
    for (const QString& path : paths) {
        open(QFileInfo(path).absoluteFilePath());
        EditorModified = false;
        addRecentFile();
    }
    showPage(caption(false));
    return true;
}

void EditorDocument::keepForRecovery()
{
    if (!EditorModified)
        return;
    const bool unnamed = CurrentFileName == DefaultFileName || CurrentFileName.isEmpty();
    try {
        RecoveryFile::write({unnamed ? QString() : CurrentFileName, documentText(m_pane->document())});
    } catch (const std::exception& e) {
        // Nobody may be there to read a message; the program is ending all the same.
        qWarning("%s", e.what());
    }
}

void EditorDocument::offerRecovery()
{
    const std::optional<RecoveryFile::Content> kept = RecoveryFile::read();
    if (!kept)
        return;
    const QString name = kept->documentName.isEmpty() ? DefaultFileName : kept->documentName;
    const QString question =
        inLanguage("Nicht gespeicherte Änderungen an %1 wiederherstellen?", "Restore unsaved changes to %1?");
    switch (Prompts::instance().confirm(question.arg(name))) {
    case Prompts::Answer::Cancel:
        return;
    case Prompts::Answer::No:
        RecoveryFile::remove();
        return;
    case Prompts::Answer::Yes:
        break;
    }
    CurrentFileName = name;
    LoadingFile = true;
    m_pane->setPlainText(toPaneText(kept->text));
    LoadingFile = false;
    // Nothing of it is saved: it counts as changed against whatever the file holds.
    LastLoadedLength = -1;
    textChanged();
    showPage(caption(true));
    RecoveryFile::remove();
}
