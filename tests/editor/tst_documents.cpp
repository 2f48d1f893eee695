// The editor's documents through the main window: open, save, save as, close, recent files, drops,
// and the questions that protect unsaved work. Longer than our files usually are: every case shares
// one fixture of a window with scripted prompts and a folder of files, which a split would repeat.

#include "app/TfrmTerminal.h"
#include "dialogs/AutoNum_Unit.h"
#include "dialogs/ReNum_Unit.h"
#include "editor/EditorDocument.h"
#include "editor/RecoveryFile.h"
#include "platform/Errors.h"
#include "settings/GlobVar_Unit.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

using namespace GlobVar;
using Answer = Prompts::Answer;

class DocumentsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void recentList_orderOfOpenedFiles();
    void recentList_caseOfAsciiLettersOnly();
    void modifiedState_followsEveryChange();
    void save_clearsMarkAndToolbarButton();
    void saveAs_ontoExistingFileAnsweredNo_writesNothing();
    void save_unnamedProposesSourceFolder();
    void open_capitalExtensionLeavesFilter_data();
    void open_capitalExtensionLeavesFilter();
    void filterFromPreferredType_data();
    void filterFromPreferredType();
    void new_withNothingLoaded_doesNothing();
    void new_answeredCancel_keepsDocument();
    void dialogs_startInDocumentFolderOrHome();
    void close_askAndDiscard();
    void unreadableFile_reportedAndStateKept();

    void closeYes_withSaveAsCancelled_keepsDocument();
    void closeYes_withUnwritableFile_keepsDocument();
    void programCloseYes_withSaveAsCancelled_staysOpen();
    void programClose_answers();
    void open_modifiedWithSaveAsCancelled_keepsDocument();
    void recentItem_cancelledCloseKeepsDocument();
    void drop_threeFilesLoadsTheLast();
    void drop_onModifiedDocumentAsks();

    void lineTools_fromMenuAndToolbar();
    void lineTools_leaveLoadedProgramModified_data();
    void lineTools_leaveLoadedProgramModified();
    void sortError_shownWhereTheCommandRuns();
    void unnumberedLine_caretGoesThere_data();
    void unnumberedLine_caretGoesThere();

    void highBytes_comeBackByteForByte();
    void loneCarriageReturn_staysInItsLine();
    void rtf_roundTripThroughTheEditor();
    void richOrPlain_fromEachFilesOwnName();
    void endedBySignal_unsavedTextOfferedAtNextStart();

private:
    QString makeFile(const QString& name, const QByteArray& bytes) const;
    QByteArray readFile(const QString& path) const;
    void typeText(const QString& text);
    QString editorCaption() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TfrmTerminal> m_window;
};

void DocumentsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ResetGlobals();
    SettingsStore::resetForTests(m_dir->filePath("settings.reg"));
    m_prompts = std::make_unique<ScriptedPrompts>();
    m_window = std::make_unique<TfrmTerminal>();
    SourceCodePfad = m_dir->path();
}

void DocumentsTest::cleanup()
{
    m_window.reset();
    m_prompts.reset();
    m_dir.reset();
}

QString DocumentsTest::makeFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = m_dir->filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QByteArray DocumentsTest::readFile(const QString& path) const
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void DocumentsTest::typeText(const QString& text)
{
    m_window->RTF->setFocus();
    m_window->RTF->insertPlainText(text);
}

QString DocumentsTest::editorCaption() const
{
    return m_window->PageControl1->tabText(m_window->PageControl1->indexOf(m_window->TSheetEd));
}

void DocumentsTest::recentList_orderOfOpenedFiles()
{
    const QString a = makeFile("A.bas", "10 REM A\r\n");
    const QString b = makeFile("B.bas", "10 REM B\r\n");
    const QString c = makeFile("C.bas", "10 REM C\r\n");
    const QString d = makeFile("D.bas", "10 REM D\r\n");
    const QString e = makeFile("E.bas", "10 REM E\r\n");
    auto open = [this](const QString& path) {
        m_prompts->files.enqueue(path);
        m_window->mnuOpenClick();
        return RecentFiles.mid(0, RecentCount);
    };
    open(c);
    open(b);
    QCOMPARE(open(a), (QStringList{a, b, c}));
    QCOMPARE(open(b), (QStringList{b, a, c}));
    QCOMPARE(open(a), (QStringList{a, b, c}));
    QCOMPARE(open(d), (QStringList{d, a, b, c}));
    QCOMPARE(open(e), (QStringList{e, d, a, b}));
    // Reopening entry 1 changes neither the list nor the menus.
    m_window->findChild<QAction*>("mnuDateiNr2")->setText("marker");
    QCOMPARE(open(e), (QStringList{e, d, a, b}));
    QCOMPARE(m_window->findChild<QAction*>("mnuDateiNr2")->text(), QString("marker"));
    QCOMPARE(m_window->findChild<QAction*>("N41")->text(), "&4 " + b);
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 REM E\n"));
    QCOMPARE(editorCaption(), QString("Editor - E.bas"));
}

void DocumentsTest::recentList_caseOfAsciiLettersOnly()
{
    CurrentFileName = "/data/Prog.bas";
    m_window->AddRecentFile();
    CurrentFileName = "/other.bas";
    m_window->AddRecentFile();
    CurrentFileName = "/DATA/PROG.BAS";
    m_window->AddRecentFile();
    QCOMPARE(RecentFiles.mid(0, RecentCount), (QStringList{"/DATA/PROG.BAS", "/other.bas"}));
    CurrentFileName = "/data/Äpfel.bas";
    m_window->AddRecentFile();
    CurrentFileName = "/data/äpfel.bas";
    m_window->AddRecentFile();
    QCOMPARE(RecentCount, 4);
}

void DocumentsTest::modifiedState_followsEveryChange()
{
    const QString path = makeFile("p.bas", "10 PRINT 1\r\n");
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    QVERIFY(!EditorModified);
    QVERIFY(!m_window->tbnSave->isEnabled());
    // Typing over a selected character keeps the length, but the program is another one now.
    QTextCursor cursor = m_window->RTF->textCursor();
    cursor.setPosition(9);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    m_window->RTF->setTextCursor(cursor);
    typeText("2");
    QVERIFY(EditorModified);
    QCOMPARE(editorCaption(), QString("Editor - p.bas *"));
    for (const char* name : {"mnuSave", "tbnSave", "mnuClose", "tbnClose", "mnuUndo", "tbnUndo"})
        QVERIFY2(m_window->findChild<QAction*>(name)->isEnabled(), name);
    QVERIFY(SortCleanupPending);
    // Closing asks before the change is lost.
    m_prompts->answers.enqueue(Answer::Cancel);
    QVERIFY(!m_window->FormCloseQuery());
    QCOMPARE(m_prompts->texts("confirm").size(), 1);
}

void DocumentsTest::save_clearsMarkAndToolbarButton()
{
    const QString path = makeFile("s.bas", "10 A\r\n");
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    typeText("X");
    QVERIFY(runMenuItem(m_window->mnuSave));
    QCOMPARE(editorCaption(), QString("Editor - s.bas"));
    QVERIFY(!EditorModified);
    QVERIFY(m_window->mnuSave->isEnabled());
    QVERIFY(!m_window->tbnSave->isEnabled());
    QCOMPARE(readFile(path), QByteArray("10 A\r\nX"));
}

void DocumentsTest::saveAs_ontoExistingFileAnsweredNo_writesNothing()
{
    const QString old = makeFile("old.bas", "10 OLD\r\n");
    const QString other = makeFile("other.bas", "keep me");
    m_prompts->files.enqueue(old);
    m_window->mnuOpenClick();
    typeText("1");
    m_prompts->files.enqueue(other);
    m_prompts->answers.enqueue(Answer::No);
    m_window->mnuSaveAsClick();
    QCOMPARE(m_prompts->texts("confirm"), QStringList{"Wollen Sie die Datei " + other + " überschreiben ?"});
    // The proposal is the document's own name without its extension, in its own folder.
    QCOMPARE(m_prompts->fileRequests.last().path, m_dir->filePath("old"));
    QCOMPARE(m_prompts->fileRequests.last().title, QString("Speichern unter..."));
    QCOMPARE(CurrentFileName, old);
    QCOMPARE(readFile(other), QByteArray("keep me"));
    QVERIFY(EditorModified);

    // Yes overwrites and renames the document.
    m_prompts->files.enqueue(other);
    m_prompts->answers.enqueue(Answer::Yes);
    m_window->mnuSaveAsClick();
    QCOMPARE(CurrentFileName, other);
    QCOMPARE(readFile(other), QByteArray("10 OLD\r\n1"));
    QCOMPARE(RecentFiles.value(0), other);
}

void DocumentsTest::save_unnamedProposesSourceFolder()
{
    typeText("10 END");
    const QString target = m_dir->filePath("neu.bas");
    m_prompts->files.enqueue(target);
    QVERIFY(runMenuItem(m_window->mnuSave));
    QCOMPARE(m_prompts->fileRequests.size(), 1);
    QCOMPARE(m_prompts->fileRequests[0].path, m_dir->path() + "/ohne Namen");
    QCOMPARE(m_prompts->fileRequests[0].filter, FileFilter);
    QCOMPARE(m_prompts->fileRequests[0].defaultExtension, QString("txt"));
    QCOMPARE(readFile(target), QByteArray("10 END"));
    QCOMPARE(CurrentFileName, target);
    QCOMPARE(editorCaption(), QString("Editor - neu.bas"));
    QVERIFY(!SaveAsPending);
}

void DocumentsTest::open_capitalExtensionLeavesFilter_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("extension");
    const QString t = "Textdateien (*.txt)|*.txt", b = "Basic-Dateien (*.bas)|*.bas", a = "Alle Dateien (*.*)|*.*";
    QTest::newRow(".bas") << "x.bas" << b + "|" + t + "|" + a << "bas";
    QTest::newRow(".txt") << "x.txt" << t + "|" + b + "|" + a << "txt";
    QTest::newRow(".BAS is another type") << "PROG.BAS" << a << "txt";
    QTest::newRow("no extension") << "prog" << a << "txt";
}

void DocumentsTest::open_capitalExtensionLeavesFilter()
{
    QFETCH(QString, file);
    QFETCH(QString, filter);
    QFETCH(QString, extension);
    m_prompts->files.enqueue(makeFile(file, "10 REM\r\n"));
    m_window->mnuOpenClick();
    QCOMPARE(m_prompts->fileRequests[0].title, QString("Datei öffnen"));
    QCOMPARE(m_prompts->fileRequests[0].path, m_dir->path());
    QCOMPARE(FileFilter, filter);
    QCOMPARE(DefaultExtension, extension);
}

void DocumentsTest::filterFromPreferredType_data()
{
    QTest::addColumn<int>("envFilter");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("extension");
    const QString t = "Textdateien (*.txt)|*.txt", b = "Basic-Dateien (*.bas)|*.bas", a = "Alle Dateien (*.*)|*.*";
    QTest::newRow("text first") << 0 << 1 << t + "|" + b + "|" + a << "txt";
    QTest::newRow("BASIC first") << 1 << 1 << b + "|" + t + "|" + a << "bas";
    QTest::newRow("all first") << 2 << 1 << a + "|" + t + "|" + b << "*";
    QTest::newRow("other: all alone") << 7 << 1 << a << "*";
    QTest::newRow("English") << 1 << 2
                             << "Basic-Files (*.bas)|*.bas|Textfiles (*.txt)|*.txt|Alle Files (*.*)|*.*" << "bas";
}

void DocumentsTest::filterFromPreferredType()
{
    QFETCH(int, envFilter);
    QFETCH(int, language);
    QFETCH(QString, filter);
    QFETCH(QString, extension);
    EnvFilter = envFilter;
    Language = language;
    m_window->SetFileTexts();
    QCOMPARE(FileFilter, filter);
    QCOMPARE(DefaultExtension, extension);
}

void DocumentsTest::new_withNothingLoaded_doesNothing()
{
    m_window->RTF->document()->setModified(false);
    runMenuItem(m_window->mnuNew);
    QVERIFY(m_prompts->shown.isEmpty());
    QCOMPARE(editorCaption(), QString("Editor"));
}

void DocumentsTest::new_answeredCancel_keepsDocument()
{
    const QString path = makeFile("keep.bas", "10 REM\r\n");
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    typeText("20 END");
    m_prompts->answers.enqueue(Answer::Cancel);
    runMenuItem(m_window->mnuNew);
    QCOMPARE(m_prompts->texts("confirm"), QStringList{"Änderungen speichern in <" + path + "> ?"});
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 REM\n20 END"));
    QCOMPARE(CurrentFileName, path);
    QVERIFY(EditorModified);
    QCOMPARE(editorCaption(), QString("Editor - keep.bas *"));
    QVERIFY(m_window->mnuClose->isEnabled());
}

void DocumentsTest::dialogs_startInDocumentFolderOrHome()
{
    // Without a source folder the dialogs start at home, never where the program was started.
    SourceCodePfad.clear();
    m_prompts->files.enqueue(QString());
    m_window->mnuOpenClick();
    QCOMPARE(m_prompts->fileRequests.last().path, QDir::homePath());
    // A source folder that has gone is not offered either.
    SourceCodePfad = m_dir->filePath("gone");
    m_prompts->files.enqueue(QString());
    m_window->mnuOpenClick();
    QCOMPARE(m_prompts->fileRequests.last().path, QDir::homePath());
    SourceCodePfad.clear();
    typeText("10 END");
    m_prompts->files.enqueue(QString());
    m_window->mnuSaveAsClick();
    QCOMPARE(m_prompts->fileRequests.last().path, QDir::homePath() + "/ohne Namen");

    // A named document proposes its own folder, wherever the source folder is.
    QTemporaryDir elsewhere;
    const QString named = elsewhere.filePath("prog.bas");
    m_prompts->files.enqueue(named);
    m_window->mnuSaveAsClick();
    QCOMPARE(CurrentFileName, named);
    SourceCodePfad = m_dir->path();
    m_prompts->files.enqueue(QString());
    m_window->mnuSaveAsClick();
    QCOMPARE(m_prompts->fileRequests.last().path, elsewhere.filePath("prog"));
}

void DocumentsTest::close_askAndDiscard()
{
    typeText("10 REM");
    m_prompts->answers.enqueue(Answer::No);
    runMenuItem(m_window->mnuNew);
    QCOMPARE(m_prompts->texts("confirm"), QStringList{"Änderungen speichern in <ohne Namen> ?"});
    QCOMPARE(m_window->RTF->toPlainText(), QString());
    QVERIFY(!EditorModified);
    QCOMPARE(editorCaption(), QString("Editor"));
    for (const char* name : {"mnuClose", "tbnClose", "mnuSave", "tbnSave", "tbnUndo", "tbnRedo"})
        QVERIFY2(!m_window->findChild<QAction*>(name)->isEnabled(), name);
}

void DocumentsTest::unreadableFile_reportedAndStateKept()
{
    typeText("10 KEEP");
    m_prompts->files.enqueue(m_dir->filePath("target.bas"));
    m_window->mnuSaveAsClick();
    QVERIFY(!EditorModified);
    const QString missing = m_dir->filePath("gone.bas");
    m_prompts->files.enqueue(missing);
    try {
        m_window->mnuOpenClick();
        QFAIL("no error");
    } catch (const std::exception& e) {
        QVERIFY(QString::fromUtf8(e.what()).startsWith("Datei " + missing + " kann nicht geöffnet werden. "));
    }
    // The text in the pane is still target.bas's, and so is the name a Save writes to.
    QCOMPARE(CurrentFileName, m_dir->filePath("target.bas"));
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 KEEP"));
    QCOMPARE(RecentFiles.value(0), m_dir->filePath("target.bas"));
    QVERIFY(!LoadingFile);
}

// --- unsaved work is not lost

void DocumentsTest::closeYes_withSaveAsCancelled_keepsDocument()
{
    typeText("10 PRECIOUS");
    m_prompts->answers.enqueue(Answer::Yes); // save changes?
    // The Save As that follows is cancelled (no file queued).
    runMenuItem(m_window->mnuClose);
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 PRECIOUS"));
    QVERIFY(EditorModified);
    QVERIFY(CloseCancelled);
}

void DocumentsTest::closeYes_withUnwritableFile_keepsDocument()
{
    const QString path = makeFile("w.bas", "10 A\r\n");
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    typeText("B");
    // Make the target unwritable: a folder where the file's folder should be.
    CurrentFileName = makeFile("plain", "x") + "/w.bas";
    m_prompts->answers.enqueue(Answer::Yes);
    QVERIFY_THROWS_EXCEPTION(std::exception, m_window->mnuCloseClick());
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 A\nB"));
    QVERIFY(EditorModified);
    QCOMPARE(editorCaption(), QString("Editor - w.bas *"));
}

void DocumentsTest::programCloseYes_withSaveAsCancelled_staysOpen()
{
    typeText("10 REM");
    m_prompts->answers.enqueue(Answer::Yes);
    QVERIFY(!m_window->FormCloseQuery());
    QCOMPARE(m_prompts->texts("confirm"), QStringList{"Änderungen speichern ?"});
    QVERIFY(EditorModified);
}

void DocumentsTest::programClose_answers()
{
    QVERIFY(m_window->FormCloseQuery()); // nothing to ask
    QVERIFY(m_prompts->shown.isEmpty());
    typeText("10 REM");
    m_window->mnuEnglishClick();
    m_prompts->answers.enqueue(Answer::Cancel);
    QVERIFY(!m_window->FormCloseQuery());
    QCOMPARE(m_prompts->texts("confirm"), QStringList{"Änderungen speichern ?"}); // German in both languages
    m_prompts->answers.enqueue(Answer::No);
    QVERIFY(m_window->FormCloseQuery());
    const QString target = m_dir->filePath("saved.bas");
    m_prompts->files.enqueue(target);
    m_prompts->answers.enqueue(Answer::Yes);
    QVERIFY(m_window->FormCloseQuery());
    QCOMPARE(readFile(target), QByteArray("10 REM"));
}

void DocumentsTest::open_modifiedWithSaveAsCancelled_keepsDocument()
{
    typeText("10 MINE");
    m_prompts->files.enqueue(QString()); // cancel the Save As
    m_prompts->files.enqueue(makeFile("other.bas", "10 OTHER\r\n"));
    m_window->mnuOpenClick();
    QCOMPARE(m_prompts->fileRequests.size(), 1); // no open dialog followed
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 MINE"));
    QVERIFY(EditorModified);
}

void DocumentsTest::recentItem_cancelledCloseKeepsDocument()
{
    const QString a = makeFile("a.bas", "10 A\r\n");
    m_prompts->files.enqueue(a);
    m_window->mnuOpenClick();
    typeText("X");
    m_prompts->answers.enqueue(Answer::Cancel);
    m_window->findChild<QAction*>("N11")->trigger();
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 A\nX"));
    QVERIFY(!CloseCancelled);
    m_prompts->answers.enqueue(Answer::No);
    m_window->findChild<QAction*>("N11")->trigger();
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 A\n"));
    QCOMPARE(editorCaption(), QString("Editor - a.bas"));
}

void DocumentsTest::drop_threeFilesLoadsTheLast()
{
    const QString f1 = makeFile("1.bas", "10 ONE\r\n");
    const QString f2 = makeFile("2.bas", "10 TWO\r\n");
    const QString f3 = makeFile("3.bas", "10 THREE\r\n");
    m_window->dropFiles({f1, f2, f3});
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 THREE\n"));
    QCOMPARE(RecentFiles.mid(0, RecentCount), (QStringList{f3, f2, f1}));
    QCOMPARE(editorCaption(), QString("Editor - 3.bas"));
    QCOMPARE(m_window->PageControl1->currentWidget(), m_window->TSheetEd);
    QVERIFY(!EditorModified);
    QVERIFY(m_prompts->shown.isEmpty());
}

void DocumentsTest::drop_onModifiedDocumentAsks()
{
    typeText("10 UNSAVED");
    const QString f = makeFile("d.bas", "10 DROPPED\r\n");
    m_prompts->answers.enqueue(Answer::Cancel);
    m_window->dropFiles({f});
    QCOMPARE(m_prompts->texts("confirm"), QStringList{"Änderungen speichern in <ohne Namen> ?"});
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 UNSAVED"));
    m_prompts->answers.enqueue(Answer::No);
    m_window->dropFiles({f});
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 DROPPED\n"));
}

// --- the line-number tools through the window

void DocumentsTest::lineTools_fromMenuAndToolbar()
{
    m_window->setLineToolDialogs(new TfrmReNum(m_window.get()), new TfrmAutoNum(m_window.get()));
    typeText("30 GOTO 10\n10 PRINT 1\n20 GOSUB 30");
    m_window->findChild<QAction*>("tbnZNSort")->trigger();
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 PRINT 1\n20 GOSUB 30\n30 GOTO 10"));

    // Renumber with start 100 and step 5, accepted with OK once the dialog is up.
    QTimer::singleShot(0, this, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>("txtStartwert")->setText("100");
        dialog->findChild<QLineEdit*>("txtSchrittweite")->setText("5");
        dialog->findChild<QPushButton*>("BitBtnOK")->click();
    });
    m_window->findChild<QAction*>("tbnRenumber")->trigger();
    QCOMPARE(m_window->RTF->toPlainText(), QString("100 print 1\n105 gosub 110\n110 goto 100") /* the rewritten lines are lower case */);
    // The new numbers are unsaved work.
    QVERIFY(EditorModified);
    QCOMPARE(editorCaption(), QString("Editor - ohne Namen *"));

    // Auto-numbering: the dialog closes by its OK; the start line is appended and the button pressed.
    QTimer::singleShot(0, this, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>("txtStartwert")->setText("200");
        dialog->findChild<QPushButton*>("BitBtnOK")->click();
    });
    runMenuItem(m_window->findChild<QAction*>("mnuAutoNumber"));
    QVERIFY(m_window->tbnAutoNum->isChecked());
    QVERIFY(m_window->RTF->toPlainText().endsWith("\n200"));
    runMenuItem(m_window->findChild<QAction*>("mnuAutoNumber"));
    QVERIFY(!m_window->tbnAutoNum->isChecked());
}

// A program just loaded (so nothing counts as modified yet) and changed by one line tool: the result is
// unsaved work, the caption says so and closing asks. Sorting keeps the text's length, and a renumbering
// may, so the length alone cannot tell.
void DocumentsTest::lineTools_leaveLoadedProgramModified_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("result");
    QTest::newRow("sort") << "mnuSort" << QByteArray("20 B\r\n10 A\r\n") << "10 A\n20 B\n";
    QTest::newRow("renumber") << "mnuReNumber" << QByteArray("20 GOTO 30\r\n30 END\r\n")
                              << "10 goto 20\n20 end\n";
    QTest::newRow("auto-number") << "mnuAutoNumber" << QByteArray("10 A\r\n") << "10 A\n10";
}

void DocumentsTest::lineTools_leaveLoadedProgramModified()
{
    QFETCH(QString, tool);
    QFETCH(QByteArray, file);
    QFETCH(QString, result);
    m_window->setLineToolDialogs(new TfrmReNum(m_window.get()), new TfrmAutoNum(m_window.get()));
    const QString path = makeFile("tool.bas", file);
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    QVERIFY(!EditorModified);
    // The renumber and auto-number dialogs are accepted as they come (start 10, step 10).
    QTimer::singleShot(0, this, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialog->findChild<QLineEdit*>("txtStartwert")->setText("10");
            dialog->findChild<QLineEdit*>("txtSchrittweite")->setText("10");
            dialog->findChild<QPushButton*>("BitBtnOK")->click();
        }
    });
    QVERIFY(runMenuItem(m_window->findChild<QAction*>(tool)));
    QCOMPARE(m_window->RTF->toPlainText(), result);
    QVERIFY(EditorModified);
    QCOMPARE(editorCaption(), QString("Editor - tool.bas *"));
    m_prompts->answers.enqueue(Answer::Cancel);
    QVERIFY(!m_window->FormCloseQuery());
    QCOMPARE(m_prompts->texts("confirm"), QStringList{"Änderungen speichern ?"});
}

void DocumentsTest::sortError_shownWhereTheCommandRuns()
{
    typeText("20 A\n10PRINT\n5 B");
    // Run as a command, the error is shown and goes no further (through the toolkit's dispatch).
    QVERIFY(runMenuItem(m_window->findChild<QAction*>("mnuSort")));
    QCOMPARE(m_prompts->texts("message"), QStringList{"'10PRINT' ist kein gültiger Integerwert"});
    // The handler itself still reports it to its caller.
    QVERIFY_THROWS_EXCEPTION(EConvertError, m_window->mnuSortClick());
}

// The message names the first word of the line; the caret is put on that line and the editor page
// brought forward, so that the user sees where it is.
void DocumentsTest::unnumberedLine_caretGoesThere_data()
{
    QTest::addColumn<QString>("tool");
    QTest::newRow("sort") << "mnuSort";
    QTest::newRow("renumber") << "mnuReNumber";
}

void DocumentsTest::unnumberedLine_caretGoesThere()
{
    QFETCH(QString, tool);
    m_window->setLineToolDialogs(new TfrmReNum(m_window.get()), new TfrmAutoNum(m_window.get()));
    typeText("10 A\n20 B\n30 C\n    PRINT 5\n40 D");
    m_window->RTF->moveCursor(QTextCursor::Start);
    m_window->PageControl1->setCurrentWidget(m_window->TSheetTerm);
    QTimer::singleShot(0, this, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dialog->findChild<QPushButton*>("BitBtnOK")->click();
    });
    QVERIFY(runMenuItem(m_window->findChild<QAction*>(tool)));
    QCOMPARE(m_prompts->texts("message"), QStringList{"'PRINT' ist kein gültiger Integerwert"});
    QCOMPARE(m_window->RTF->textCursor().blockNumber(), 3);
    QCOMPARE(m_window->PageControl1->currentWidget(), m_window->TSheetEd);

}

// --- file contents

void DocumentsTest::highBytes_comeBackByteForByte()
{
    QByteArray bytes;
    for (int i = 1; i < 256; ++i)
        if (i != '\r' && i != '\n')
            bytes.append(char(i));
    bytes.append("\r\n10 PRINT \"\xe4\xf6\xfc\xdf\xb5\"\r\n");
    const QString path = makeFile("bytes.bas", bytes);
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    QVERIFY(m_window->RTF->toPlainText().contains(QChar(0x7f)));
    QCOMPARE(m_window->RTF->toPlainText().count(QChar(0xe4)), 2);
    typeText(" ");
    QVERIFY(runMenuItem(m_window->mnuSave));
    const QByteArray back = readFile(path);
    for (int i = 0; i < qMin(back.size(), bytes.size()); ++i)
        QVERIFY2(back[i] == bytes[i], qPrintable(QString("byte %1: %2 vs %3").arg(i).arg(int(uchar(back[i]))).arg(int(uchar(bytes[i])))));
    QCOMPARE(back, bytes + " ");
}

void DocumentsTest::loneCarriageReturn_staysInItsLine()
{
    const QByteArray bytes = "10 PRINT \"a\rb\"\r\n20 END\r";
    const QString path = makeFile("cr.bas", bytes);
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    QCOMPARE(m_window->RTF->document()->blockCount(), 2);
    QVERIFY(!EditorModified);
    QVERIFY(runMenuItem(m_window->findChild<QAction*>("mnuSort")));
    typeText("X");
    QVERIFY(runMenuItem(m_window->mnuSave));
    QCOMPARE(readFile(path), bytes + "X");
}

void DocumentsTest::rtf_roundTripThroughTheEditor()
{
    const QString text = "10 PRINT \"{Grüße}\\\"\n20 GOTO 10\n";
    typeText(text);
    const QString path = m_dir->filePath("prog.rtf");
    m_prompts->files.enqueue(path);
    m_window->mnuSaveAsClick();
    QVERIFY(m_window->document()->isRich());
    QVERIFY(readFile(path).startsWith("{\\rtf1"));
    QVERIFY(readFile(path).contains(m_window->RTF->font().family().toLatin1()));
    m_prompts->answers.enqueue(Answer::No);
    runMenuItem(m_window->mnuClose);
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    QCOMPARE(m_window->RTF->toPlainText(), text);
    // Back to plain text by extension.
    m_prompts->files.enqueue(makeFile("plain.txt", "{\\rtf1 not rich}"));
    m_window->mnuOpenClick();
    QVERIFY(!m_window->document()->isRich());
    QCOMPARE(m_window->RTF->toPlainText(), QString("{\\rtf1 not rich}"));
}

// Plain or rich text is decided by the name of the file being read or written, on every path, never
// by what was open before: RTF markup must never land in a program file, nor a program's backslashes
// and braces be taken for markup.
void DocumentsTest::richOrPlain_fromEachFilesOwnName()
{
    const QByteArray program = "10 PRINT \"{x}\\\"\r\n";
    const QString rtf = m_dir->filePath("styled.rtf");
    typeText("10 REM styled");
    m_prompts->files.enqueue(rtf);
    m_window->mnuSaveAsClick();
    QVERIFY(readFile(rtf).startsWith("{\\rtf1"));

    const auto expectPlainRoundTrip = [&](const QString& path) {
        QCOMPARE(m_window->RTF->toPlainText(), QString::fromLatin1(program).replace("\r\n", "\n"));
        QVERIFY(!m_window->document()->isRich());
        typeText("20 END");
        QVERIFY(runMenuItem(m_window->mnuSave));
        QCOMPARE(readFile(path), program + "20 END");
    };

    // From the recent list, with the rich file open.
    const QString viaRecent = makeFile("recent.bas", program);
    m_prompts->files.enqueue(viaRecent);
    m_window->mnuOpenClick();
    m_prompts->files.enqueue(rtf);
    m_window->mnuOpenClick();
    QVERIFY(m_window->document()->isRich());
    m_window->findChild<QAction*>("N21")->trigger();
    QCOMPARE(CurrentFileName, viaRecent);
    expectPlainRoundTrip(viaRecent);

    // Dropped, with the rich file open.
    m_prompts->files.enqueue(rtf);
    m_window->mnuOpenClick();
    const QString dropped = makeFile("dropped.bas", program);
    m_window->dropFiles({dropped});
    expectPlainRoundTrip(dropped);

    // Save As onto an existing rich file answered No: the plain document stays plain.
    m_prompts->files.enqueue(rtf);
    m_prompts->answers.enqueue(Answer::No);
    m_window->mnuSaveAsClick();
    QCOMPARE(CurrentFileName, dropped);
    QVERIFY(!m_window->document()->isRich());
    typeText("\n30 STOP");
    QVERIFY(runMenuItem(m_window->mnuSave));
    QCOMPARE(readFile(dropped), program + "20 END\r\n30 STOP");
    QVERIFY(readFile(rtf).startsWith("{\\rtf1"));

    // Save As Yes onto the rich file writes rich text there.
    m_prompts->files.enqueue(rtf);
    m_prompts->answers.enqueue(Answer::Yes);
    m_window->mnuSaveAsClick();
    QVERIFY(m_window->document()->isRich());
    QVERIFY(readFile(rtf).startsWith("{\\rtf1"));
    QVERIFY(readFile(rtf).contains("30 STOP"));

    // Named on the command line, with a rich file open before.
    const QString argument = makeFile("argument.bas", program);
    m_window.reset();
    m_window = std::make_unique<TfrmTerminal>(QStringList{argument});
    expectPlainRoundTrip(argument);
}

// Ended from outside, the program keeps the unsaved text and the settings, asks nothing, and offers the
// text at the next start as the modified document under its old name.
void DocumentsTest::endedBySignal_unsavedTextOfferedAtNextStart()
{
    QVERIFY(qEnvironmentVariable("XDG_STATE_HOME").contains("home-test_documents"));
    RecoveryFile::remove();
    const QString path = makeFile("work.bas", "10 REM\r\n");
    m_prompts->files.enqueue(path);
    m_window->mnuOpenClick();
    typeText("20 PRINT \"\u00e4\"");
    ComBaudrate = 9; // a setting of this run
    QSignalSpy closed(m_window.get(), &TfrmTerminal::closed);
    m_window->terminateBySignal(SIGTERM);
    QCOMPARE(closed.size(), 1);
    for (const char* kind : {"confirm", "message", "warning"})
        QVERIFY2(m_prompts->texts(kind).isEmpty(), kind);
    QCOMPARE(readFile(path), QByteArray("10 REM\r\n")); // the file itself is not touched
    {
        TRegistry reg;
        QVERIFY(reg.OpenKeyReadOnly(SettingsKey));
        QCOMPARE(reg.ReadInteger("ComBaudrate"), 9);
    }

    // The next start: Cancel keeps the text for later, Yes restores it.
    m_window.reset();
    ResetGlobals();
    m_window = std::make_unique<TfrmTerminal>();
    m_prompts->answers.enqueue(Answer::Cancel);
    m_window->offerRecovery();
    QCOMPARE(m_prompts->texts("confirm"), QStringList{"Nicht gespeicherte Änderungen an " + path + " wiederherstellen?"});
    QCOMPARE(m_window->RTF->toPlainText(), QString());
    m_prompts->answers.enqueue(Answer::Yes);
    m_window->offerRecovery();
    QCOMPARE(m_window->RTF->toPlainText(), QString("10 REM\n20 PRINT \"\u00e4\""));
    QCOMPARE(CurrentFileName, path);
    QVERIFY(EditorModified);
    QCOMPARE(editorCaption(), QString("Editor - work.bas *"));
    QVERIFY(m_window->mnuSave->isEnabled());
    QVERIFY(!RecoveryFile::read());
    QVERIFY(runMenuItem(m_window->mnuSave));
    QCOMPARE(readFile(path), QByteArray("10 REM\r\n20 PRINT \"\xe4\""));

    // Restored over a file named at start: the first activation brings the editor forward, marked.
    typeText("\n25 REM");
    m_window->terminateBySignal(SIGTERM);
    m_window.reset();
    ResetGlobals();
    m_window = std::make_unique<TfrmTerminal>(QStringList{path});
    m_prompts->answers.enqueue(Answer::Yes);
    m_window->offerRecovery();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(m_window->PageControl1->currentWidget(), m_window->TSheetEd);
    QCOMPARE(editorCaption(), QString("Editor - work.bas *"));
    QVERIFY(m_window->RTF->toPlainText().contains("25 REM"));

    // An unnamed text comes back unnamed; No discards it.
    typeText("\n30 END");
    m_window->mnuSaveAsClick(); // cancelled: nothing queued
    m_prompts->answers.enqueue(Answer::No);
    runMenuItem(m_window->mnuClose);
    typeText("10 NEW");
    m_window->terminateBySignal(SIGHUP);
    QCOMPARE(RecoveryFile::read()->documentName, QString());
    m_window.reset();
    ResetGlobals();
    m_window = std::make_unique<TfrmTerminal>();
    m_prompts->answers.enqueue(Answer::No);
    m_window->offerRecovery();
    QCOMPARE(m_prompts->texts("confirm").last(), QString("Nicht gespeicherte Änderungen an ohne Namen wiederherstellen?"));
    QCOMPARE(m_window->RTF->toPlainText(), QString());
    QVERIFY(!RecoveryFile::read());
    // Nothing kept, nothing asked.
    m_window->offerRecovery();
    QCOMPARE(m_prompts->texts("confirm").size(), 5);
}

QTEST_MAIN(DocumentsTest)
#include "tst_documents.moc"
