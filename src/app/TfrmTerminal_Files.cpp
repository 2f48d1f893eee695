// The editor's documents: loading, saving, the recent-file list, the file filters and the questions
// that protect unsaved work.

#include "settings/GlobVar_Unit.h"
#include "TfrmTerminal.h"
#include "platform/WinColor.h"

#include "editor/DocumentText.h"
#include "editor/ProgramFile.h"
#include "editor/RecentFileList.h"
#include "editor/RecoveryFile.h"
#include "editor/Rtf.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBlock>
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

} // namespace

bool TfrmTerminal::editorRichMode() const { return isRichTextFile(CurrentFileName); }

QString TfrmTerminal::editorCaption(bool withMark) const
{
    return QStringLiteral("Editor - ") + fileNameOnly(CurrentFileName) + (withMark ? QStringLiteral(" *") : QString());
}

void TfrmTerminal::showEditorPage(const QString& caption)
{
    PageControl1->setCurrentWidget(TSheetEd);
    PageControl1->setTabText(PageControl1->indexOf(TSheetEd), caption);
}

int TfrmTerminal::editorTextLength() const { return RTF->document()->characterCount() - 1; }

void TfrmTerminal::SetFileTexts()
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
    DatFilter();
}

void TfrmTerminal::orderFilter(FileKind first)
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

void TfrmTerminal::DatFilter()
{
    if (EnvFilter >= 0 && EnvFilter <= 2) {
        orderFilter(FileKind(EnvFilter));
    } else {
        FileFilter = FilterAllFiles;
        DefaultExtension = QStringLiteral("*");
    }
}

void TfrmTerminal::loadEditorText(const QString& path)
{
    QString text;
    if (isRichTextFile(path)) {
        text = rtfToPlainText(readFileBytes(path));
        requireProgramLineLengths(path, text);
    } else {
        text = loadProgramText(path);
    }
    RTF->setPlainText(toPaneText(text));
}

void TfrmTerminal::writeEditorFile(const QString& path)
{
    if (isRichTextFile(path))
        writeFileBytesAtomically(path, plainTextToRtf(documentText(RTF->document()), RTF->font(),
                                                      winColorToQColor(RTF->property("winColor").toUInt())));
    else
        saveProgramText(path, documentText(RTF->document()));
}

void TfrmTerminal::LoadEditorFile()
{
    LoadingFile = true;
    try {
        loadEditorText(CurrentFileName);
    } catch (...) {
        LoadingFile = false;
        throw;
    }
    LastLoadedLength = editorTextLength();
    QTextCursor cursor = RTF->textCursor();
    cursor.movePosition(QTextCursor::End);
    RTF->setTextCursor(cursor);
    EditorModified = false;
    tbnSave->setEnabled(false);
    mnuClose->setEnabled(true);
    tbnClose->setEnabled(true);
    LoadingFile = false;
}

void TfrmTerminal::openDocument(const QString& path)
{
    // A file that cannot be loaded leaves the document as it was, name included: a later Save must
    // not write the pane's text over a file the user could not even read.
    const QString previous = CurrentFileName;
    CurrentFileName = path;
    try {
        LoadEditorFile();
    } catch (...) {
        CurrentFileName = previous;
        throw;
    }
}

void TfrmTerminal::AddRecentFile()
{
    N4->setVisible(true);
    if (!RecentFileList::add(RecentFiles, RecentCount, CurrentFileName))
        return;
    for (int k = 0; k < RecentCount; ++k) {
        const QString caption = RecentFileList::caption(k, RecentFiles[k]);
        mnuDateiNr[k]->setText(caption);
        mnuDateiNr[k]->setVisible(true);
        popmnuDLItems[k]->setText(caption);
        popmnuDLItems[k]->setVisible(true);
    }
}

void TfrmTerminal::RTFChange() { editorTextChanged(editorTextLength()); }

void TfrmTerminal::editorTextChanged(int length)
{
    // A change that keeps the length (a character typed over another, lines exchanged by the sort)
    // is a change all the same: the pane's document knows whether its text differs from the last
    // load or save.
    if (!LoadingFile && (length != LastLoadedLength || RTF->document()->isModified()))
        EditorModified = true;
    if (EditorModified) {
        PageControl1->setTabText(PageControl1->indexOf(TSheetEd), editorCaption(true));
        for (QAction* a : {mnuSave, tbnSave, mnuClose, tbnClose, mnuUndo, tbnUndo})
            a->setEnabled(true);
        SortCleanupPending = true;
    }
}

void TfrmTerminal::mnuNewClick() { runMenuItem(mnuClose); }

void TfrmTerminal::mnuOpenClick()
{
    if (EditorModified) {
        mnuSaveAsClick();
        // The document is kept when its changes were not saved (Save As cancelled or declined).
        if (EditorModified)
            return;
    }
    Prompts::FileRequest request;
    request.title = Language == 1 ? QStringLiteral("Datei öffnen") : QStringLiteral("Open File");
    request.filter = FileFilter;
    request.defaultExtension = DefaultExtension;
    request.path = dialogFolder();
    const QString chosen = Prompts::instance().openFile(request);
    if (chosen.isEmpty())
        return;

    openDocument(chosen);
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

    mnuClose->setEnabled(true);
    tbnClose->setEnabled(true);
    if (!RTF->document()->isModified()) {
        mnuSave->setEnabled(false);
        tbnSave->setEnabled(false);
    }
    showEditorPage(editorCaption(false));
    AddRecentFile();
    EditorModified = false;
    tbnUndo->setEnabled(false);
}

void TfrmTerminal::mnuSaveClick()
{
    PageControl1->setCurrentWidget(TSheetEd);
    if (CurrentFileName == DefaultFileName) {
        SaveAsPending = true;
        runMenuItem(mnuSaveAs);
        if (SaveAsPending) {
            SaveAsPending = false;
            return;
        }
    } else {
        writeEditorFile(CurrentFileName);
        RTF->document()->setModified(false);
        tbnSave->setEnabled(false);
    }
    PageControl1->setTabText(PageControl1->indexOf(TSheetEd), editorCaption(false));
    EditorModified = false;
    AddRecentFile();
}

void TfrmTerminal::mnuSaveAsClick()
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
    request.title = Language == 1 ? QStringLiteral("Speichern unter...") : QStringLiteral("SaveAs...");
    const QString chosen = Prompts::instance().saveFile(request);
    if (chosen.isEmpty())
        return;

    const QString previousExtension = CurrentExtension;
    CurrentFileName = chosen;
    CurrentExtension = extensionOf(chosen);
    if (QFileInfo::exists(chosen)) {
        const QString question = Language == 1 ? QStringLiteral("Wollen Sie die Datei %1 überschreiben ?")
                                               : QStringLiteral("Would You Overwrite File %1 ?");
        if (Prompts::instance().confirm(question.arg(chosen)) != Prompts::Answer::Yes) {
            CurrentFileName = PreviousFileName;
            CurrentExtension = previousExtension;
            return;
        }
    }
    SaveAsPending = false;
    mnuSaveClick();
}

bool TfrmTerminal::askToSaveChanges(const QString& question)
{
    switch (Prompts::instance().confirm(question)) {
    case Prompts::Answer::Cancel:
        return false;
    case Prompts::Answer::No:
        return true;
    case Prompts::Answer::Yes:
        mnuSaveClick();
        // "Yes" that did not end in a saved file must not go on to discard the changes.
        return !EditorModified;
    }
    return false;
}

void TfrmTerminal::mnuCloseClick()
{
    if (EditorModified) {
        const QString question = Language == 1 ? QStringLiteral("Änderungen speichern in <%1> ?")
                                               : QStringLiteral("Save Changes in <%1> ?");
        if (!askToSaveChanges(question.arg(CurrentFileName))) {
            CloseCancelled = true;
            return;
        }
    }
    RTF->clear();
    EditorModified = false;
    for (QAction* a : {mnuClose, tbnClose, mnuSave, tbnSave, tbnUndo, tbnRedo})
        a->setEnabled(false);
    showEditorPage(QStringLiteral("Editor"));
    CurrentFileName = DefaultFileName;
}

void TfrmTerminal::mnuDateiNrClick(int number)
{
    runMenuItem(mnuClose);
    if (CloseCancelled) {
        CloseCancelled = false;
        return;
    }
    openDocument(RecentFiles.value(number - 1));
    showEditorPage(editorCaption(false));
    AddRecentFile();
}

void TfrmTerminal::dropFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    // A modified document is not replaced without the close question.
    if (EditorModified) {
        const QString question = Language == 1 ? QStringLiteral("Änderungen speichern in <%1> ?")
                                               : QStringLiteral("Save Changes in <%1> ?");
        if (!askToSaveChanges(question.arg(CurrentFileName)))
            return;
    }
    for (const QString& path : paths) {
        openDocument(QFileInfo(path).absoluteFilePath());
        EditorModified = false;
        AddRecentFile();
    }
    showEditorPage(editorCaption(false));
    RTF->setFocus();
    raise();
    activateWindow();
}

void TfrmTerminal::terminateBySignal(int /*signalNumber*/)
{
    if (m_closeDone)
        return;
    if (EditorModified) {
        const bool unnamed = CurrentFileName == DefaultFileName || CurrentFileName.isEmpty();
        try {
            RecoveryFile::write({unnamed ? QString() : CurrentFileName, documentText(RTF->document())});
        } catch (const std::exception& e) {
            // Nobody may be there to read a message; the program is ending all the same.
            qWarning("%s", e.what());
        }
    }
    if (PortOpen)
        tbnCommCloseClick();
    FormClose();
    m_closeDone = true;
    hide();
    emit closed();
}

void TfrmTerminal::offerRecovery()
{
    const std::optional<RecoveryFile::Content> kept = RecoveryFile::read();
    if (!kept)
        return;
    const QString name = kept->documentName.isEmpty() ? DefaultFileName : kept->documentName;
    const QString question = Language == 1 ? QStringLiteral("Nicht gespeicherte Änderungen an %1 wiederherstellen?")
                                           : QStringLiteral("Restore unsaved changes to %1?");
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
    RTF->setPlainText(toPaneText(kept->text));
    LoadingFile = false;
    // Nothing of it is saved: it counts as changed against whatever the file holds.
    LastLoadedLength = -1;
    RTFChange();
    showEditorPage(editorCaption(true));
    RecoveryFile::remove();
}
