// Finding text in both panes, and the editor's colours: what they show, that they never reach the
// saved file, and how their option is kept.

#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "editor/BasicHighlighter.h"
#include "editor/FindBar.h"
#include "editor/ProgramFile.h"
#include "editor/Rtf.h"
#include "platform/Prompts.h"
#include "platform/WinColor.h"
#include "settings/GlobVar_Unit.h"
#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

using namespace GlobVar;

namespace {

// One line of every kind the colours know, a line the board would cut, bytes above 127, a lone CR
// and a blank line; the file ends without a line break.
const QByteArray EveryConstruct = "10 REM \"quoted\" in a remark: PRINT 1\r\n"
                                  "20 PRINT \"A:\",A1,\"REM\" : P. 0FFH, 1.5E-3, .5\r\n"
                                  "  30 IF X.AND.3 THEN GOTO 10 ELSE GOSUB 100\r\n"
                                  "40 LD@ 100 : ST@ 200 : PH0. XBY(0FFFFH)\r\n"
                                  "50 PRINT \"unterminated\r\n"
                                  "\r\n"
                                  "60 S = 1 : REM \xe4\xf6\xfc\xdf \xb0 lone\rCR\r\n"
                                  "70 PRINT \"1234567890123456789012345678901234567890"
                                  "1234567890123456789012345678901234567890\"\r\n"
                                  "80 END";

QList<QTextLayout::FormatRange> formatsOf(const QPlainTextEdit* pane, int line)
{
    return pane->document()->findBlockByNumber(line).layout()->formats();
}

} // namespace

class FindHighlightTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void find_nextPreviousWrapInBothPanes_data();
    void find_nextPreviousWrapInBothPanes();
    void find_incrementalKeepsThePlaceAndReportsMisses();
    void find_keysOpenAndCloseTheBar();
    void find_fromTheMenuKeepsTheKeyboardInTheField();
    void find_followsThePageAndTheLanguage();

    void highlight_savesByteForByte_data();
    void highlight_savesByteForByte();
    void highlight_marksTheCharacterBeyondTheBoardsLine();
    void highlight_optionIsKeptOnlyOnceChanged();

private:
    void createWindow();
    QPlainTextEdit* pane(const QString& which) const;
    QLineEdit* field() const { return m_window->findChild<QLineEdit*>("txtFind"); }
    QString selected(const QPlainTextEdit* p) const { return p->textCursor().selectedText(); }
    int placeOf(const QPlainTextEdit* p) const { return p->textCursor().selectionStart(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<TfrmTerminal> m_window;
};

void FindHighlightTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    ResetGlobals();
    SettingsStore::resetForTests(m_dir->filePath("HKEY_CURRENT_USER.reg"));
    m_prompts = std::make_unique<ScriptedPrompts>();
}

void FindHighlightTest::cleanup()
{
    m_window.reset();
    m_prompts.reset();
    m_dir.reset();
}

void FindHighlightTest::createWindow()
{
    m_window = std::make_unique<TfrmTerminal>();
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QPlainTextEdit* FindHighlightTest::pane(const QString& which) const
{
    return which == "terminal" ? m_window->MemoT : m_window->RTF;
}

// --- finding

void FindHighlightTest::find_nextPreviousWrapInBothPanes_data()
{
    QTest::addColumn<QString>("which");
    QTest::newRow("terminal") << "terminal";
    QTest::newRow("editor") << "editor";
}

void FindHighlightTest::find_nextPreviousWrapInBothPanes()
{
    QFETCH(QString, which);
    createWindow();
    QPlainTextEdit* p = pane(which);
    m_window->PageControl1->setCurrentWidget(which == "terminal" ? m_window->TSheetTerm : m_window->TSheetEd);
    p->setPlainText("ab\nxAB ab\nend");
    p->setFocus();
    FindBar* bar = m_window->findBar();

    QVERIFY(runMenuItem(m_window->mnuSuchen));
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->pane(), p);
    QTest::keyClicks(field(), "ab");
    QCOMPARE(placeOf(p), 0);
    QCOMPARE(selected(p), QString("ab"));

    // Without regard to case, across lines.
    QVERIFY(runMenuItem(m_window->mnuSuchenWeiter));
    QCOMPARE(placeOf(p), 4);
    QCOMPARE(selected(p), QString("AB"));
    QCOMPARE(bar->status(), QString());
    QVERIFY(runMenuItem(m_window->mnuSuchenWeiter));
    QCOMPARE(placeOf(p), 7);
    // Past the last place: on from the top, and said so.
    QVERIFY(runMenuItem(m_window->mnuSuchenWeiter));
    QCOMPARE(placeOf(p), 0);
    QCOMPARE(bar->status(), QString("Am anderen Ende fortgesetzt"));
    // Backwards from the first place: on from the bottom.
    QVERIFY(runMenuItem(m_window->mnuSuchenZurueck));
    QCOMPARE(placeOf(p), 7);
    QCOMPARE(bar->status(), QString("Am anderen Ende fortgesetzt"));
    QVERIFY(runMenuItem(m_window->mnuSuchenZurueck));
    QCOMPARE(placeOf(p), 4);
    QCOMPARE(bar->status(), QString());

    // With regard to case the capitals are passed over, both ways.
    m_window->findChild<QCheckBox*>("chkFindCase")->setChecked(true);
    QCOMPARE(placeOf(p), 7); // the place as typed is looked for again from where it was
    QVERIFY(runMenuItem(m_window->mnuSuchenZurueck));
    QCOMPARE(placeOf(p), 0);
    QVERIFY(runMenuItem(m_window->mnuSuchenZurueck));
    QCOMPARE(placeOf(p), 7);

    // The text itself is untouched by finding.
    QCOMPARE(p->toPlainText(), QString("ab\nxAB ab\nend"));
}

void FindHighlightTest::find_incrementalKeepsThePlaceAndReportsMisses()
{
    createWindow();
    QPlainTextEdit* p = m_window->RTF;
    m_window->PageControl1->setCurrentWidget(m_window->TSheetEd);
    p->setPlainText("10 PRINT A\n20 PRINT B\n30 PRINT \"A\"");
    QTextCursor caret = p->textCursor();
    caret.setPosition(12); // in line 20
    p->setTextCursor(caret);
    QVERIFY(runMenuItem(m_window->mnuSuchen));
    // From the caret on: the first PRINT is behind it.
    QTest::keyClicks(field(), "PRINT ");
    QCOMPARE(placeOf(p), 14);
    // A longer text that still matches here keeps the place.
    QTest::keyClicks(field(), "B");
    QCOMPARE(placeOf(p), 14);
    QCOMPARE(selected(p), QString("PRINT B"));
    // One that does not moves on, and wraps round.
    QTest::keyClick(field(), Qt::Key_Backspace);
    QTest::keyClicks(field(), "A");
    QCOMPARE(placeOf(p), 3);
    QCOMPARE(m_window->findBar()->status(), QString("Am anderen Ende fortgesetzt"));
    // Nothing there: said, and the place so far stays selected.
    QTest::keyClicks(field(), "Z");
    QCOMPARE(m_window->findBar()->status(), QString("Nicht gefunden"));
    QCOMPARE(placeOf(p), 3);
    QVERIFY(runMenuItem(m_window->mnuSuchenWeiter));
    QCOMPARE(m_window->findBar()->status(), QString("Nicht gefunden"));
    QCOMPARE(placeOf(p), 3);
    // An empty field lets the place go; the caret stays at its start.
    field()->selectAll();
    QTest::keyClick(field(), Qt::Key_Backspace);
    QVERIFY(!p->textCursor().hasSelection());
    QCOMPARE(p->textCursor().position(), 3);
    QCOMPARE(m_window->findBar()->status(), QString());
    // Nothing was typed into the program.
    QCOMPARE(p->toPlainText(), QString("10 PRINT A\n20 PRINT B\n30 PRINT \"A\""));
}

void FindHighlightTest::find_keysOpenAndCloseTheBar()
{
    createWindow();
    for (QPlainTextEdit* p : {m_window->MemoT, m_window->RTF}) {
        m_window->PageControl1->setCurrentWidget(p == m_window->MemoT ? m_window->TSheetTerm : m_window->TSheetEd);
        p->setPlainText("one two one");
        p->setFocus();
        QTRY_VERIFY(p->hasFocus());
        // A selection on one line is what is looked for.
        QTextCursor word(p->document());
        word.setPosition(4);
        word.setPosition(7, QTextCursor::KeepAnchor);
        p->setTextCursor(word);
        QTest::keyClick(p, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(field()->hasFocus());
        QCOMPARE(field()->text(), QString("two"));
        QTest::keyClicks(field(), "one");
        QCOMPARE(placeOf(p), 8);
        // F3 in the field goes on; Shift+F3 goes back.
        QTest::keyClick(field(), Qt::Key_F3);
        QCOMPARE(placeOf(p), 0);
        QTest::keyClick(field(), Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(placeOf(p), 8);
        // Esc closes the bar; the keyboard and the caret are back in the pane, on the place found.
        QTest::keyClick(field(), Qt::Key_Escape);
        QVERIFY(!m_window->findBar()->isVisible());
        QTRY_VERIFY(p->hasFocus());
        QCOMPARE(selected(p), QString("one"));
        // F3 in the pane goes on with the text of the closed bar.
        QTest::keyClick(p, Qt::Key_F3);
        QCOMPARE(placeOf(p), 0);
        QCOMPARE(p->toPlainText(), QString("one two one"));
        // Esc closes the bar also from its tick box.
        QVERIFY(runMenuItem(m_window->mnuSuchen));
        auto* matchCase = m_window->findChild<QCheckBox*>("chkFindCase");
        matchCase->setFocus();
        QTest::keyClick(matchCase, Qt::Key_Escape);
        QVERIFY(!m_window->findBar()->isVisible());
        QTRY_VERIFY(p->hasFocus());
    }
}

void FindHighlightTest::find_fromTheMenuKeepsTheKeyboardInTheField()
{
    createWindow();
    m_window->MemoT->setFocus();
    // Chosen with the mouse: the menu closes, then the item runs; the window gives the keyboard back
    // to a pane once the menu has gone, which must not be the bar's pane.
    auto* edit = m_window->findChild<QMenu*>("mnuBearbeiten");
    QVERIFY(edit);
    emit edit->aboutToHide();
    QVERIFY(runMenuItem(m_window->mnuSuchen));
    QCoreApplication::processEvents();
    QTRY_VERIFY(field()->hasFocus());
    QTest::keyClicks(field(), "x");
    QCOMPARE(field()->text(), QString("x"));
    // Closed, the bar no longer holds on to the keyboard.
    QTest::keyClick(field(), Qt::Key_Escape);
    emit edit->aboutToHide();
    QCoreApplication::processEvents();
    QTRY_VERIFY(m_window->MemoT->hasFocus());
}

void FindHighlightTest::find_followsThePageAndTheLanguage()
{
    createWindow();
    m_window->MemoT->setPlainText("terminal text");
    m_window->RTF->setPlainText("editor text");
    QVERIFY(runMenuItem(m_window->mnuSuchen));
    QCOMPARE(m_window->findBar()->pane(), m_window->MemoT);
    m_window->PageControl1->setCurrentWidget(m_window->TSheetEd);
    QCOMPARE(m_window->findBar()->pane(), m_window->RTF);
    field()->setText("editor");
    QVERIFY(runMenuItem(m_window->mnuSuchenWeiter));
    QCOMPARE(selected(m_window->RTF), QString("editor"));
    QVERIFY(!m_window->MemoT->textCursor().hasSelection());
    // A place found is a selection like any other: Clear follows it, and the caret panel shows where.
    QVERIFY(m_window->mnuClear->isEnabled());
    QCOMPARE(m_window->StatusBar1->panelText(0), QString("  Z:   1   S:   1"));
    field()->setText("text");
    QVERIFY(runMenuItem(m_window->mnuSuchenWeiter));
    QCOMPARE(m_window->StatusBar1->panelText(0), QString("  Z:   1   S:   8"));

    field()->setText("missing");
    QVERIFY(runMenuItem(m_window->mnuSuchenWeiter));
    QCOMPARE(m_window->findBar()->status(), QString("Nicht gefunden"));
    m_window->mnuEnglishClick();
    QCOMPARE(m_window->findBar()->status(), QString("Not found"));
    QCOMPARE(m_window->findChild<QLabel*>("lblFind")->text(), QString("Find:"));
    QCOMPARE(m_window->mnuSuchen->text(), QString("&Find…"));
    QCOMPARE(m_window->mnuSyntaxHighlight->text(), QString("Syntax &highlighting"));
    m_window->mnuDeutschClick();
    QCOMPARE(m_window->mnuSuchen->text(), QString("&Suchen…"));
    QCOMPARE(m_window->findChild<QCheckBox*>("chkFindCase")->text(), QString("Groß-/Kleinschreibung"));
}

// --- the editor's colours

void FindHighlightTest::highlight_savesByteForByte_data()
{
    QTest::addColumn<bool>("rich");
    QTest::newRow("plain") << false;
    QTest::newRow("rich") << true;
}

void FindHighlightTest::highlight_savesByteForByte()
{
    QFETCH(bool, rich);
    createWindow();
    QVERIFY(EditorHighlight);
    const QString path = m_dir->filePath(rich ? "every.rtf" : "every.bas");
    QByteArray original = EveryConstruct;
    if (rich)
        original = plainTextToRtf(programTextFromBytes(EveryConstruct), m_window->RTF->font(),
                                  winColorToQColor(m_window->RTF->property("winColor").toUInt()));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    m_window->openDocument(path);
    // The program is coloured ...
    QVERIFY(!formatsOf(m_window->RTF, 0).isEmpty());
    QVERIFY(!formatsOf(m_window->RTF, 7).isEmpty());
    // ... and the colours are not taken for an edit, nor saved.
    QVERIFY(!EditorModified);
    QVERIFY(!m_window->RTF->document()->isUndoAvailable());
    m_window->mnuSaveClick();
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), original);
    }
    // Switching the colours off and on again changes nothing either, and is no change of the text
    // for the editor.
    QSignalSpy changes(m_window->RTF, &QPlainTextEdit::textChanged);
    QVERIFY(runMenuItem(m_window->mnuSyntaxHighlight));
    QVERIFY(formatsOf(m_window->RTF, 0).isEmpty());
    QVERIFY(runMenuItem(m_window->mnuSyntaxHighlight));
    QVERIFY(!formatsOf(m_window->RTF, 0).isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(changes.count(), 0);
    QVERIFY(!EditorModified);
    m_window->mnuSaveClick();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), original);
}

void FindHighlightTest::highlight_marksTheCharacterBeyondTheBoardsLine()
{
    createWindow();
    auto markedAt = [this](int line) {
        QList<int> marked;
        for (const QTextLayout::FormatRange& range : formatsOf(m_window->RTF, line))
            if (range.format.underlineStyle() == QTextCharFormat::WaveUnderline)
                for (int i = 0; i < range.length; ++i)
                    marked.append(range.start + i);
        return marked;
    };
    m_window->RTF->setPlainText(QString(78, 'A') + "\n" + QString(79, 'B') + "\n" + "10 PRINT \"" + QString(80, 'C')
                                + "\"");
    QCOMPARE(markedAt(0), QList<int>());
    QCOMPARE(markedAt(1), QList<int>{78});
    // Inside a string the 79th character keeps the string's colour under its mark.
    QCOMPARE(markedAt(2), QList<int>{78});
    for (const QTextLayout::FormatRange& range : formatsOf(m_window->RTF, 2))
        if (range.start == 78 && range.length == 1)
            QCOMPARE(range.format.foreground().color(), QColor("#a31515"));
    // Typing makes a line long enough: the mark follows at once.
    QTextCursor end(m_window->RTF->document()->findBlockByNumber(0));
    end.movePosition(QTextCursor::EndOfBlock);
    end.insertText("A");
    QCOMPARE(markedAt(0), QList<int>{78});
    // Off: no colours and no mark.
    QVERIFY(runMenuItem(m_window->mnuSyntaxHighlight));
    QCOMPARE(markedAt(1), QList<int>());
}

void FindHighlightTest::highlight_optionIsKeptOnlyOnceChanged()
{
    auto stored = [] {
        TRegistry reg;
        reg.OpenKeyReadOnly(SettingsKey);
        return reg.ValueExists("EditorHighlight") ? reg.ReadInteger("EditorHighlight") : -1;
    };
    // On by default, and not written while nobody changed it.
    createWindow();
    QVERIFY(m_window->mnuSyntaxHighlight->isChecked());
    m_window->SaveSettings();
    QCOMPARE(stored(), -1);
    // Switched off: written as 0, and read so at the next start.
    QVERIFY(runMenuItem(m_window->mnuSyntaxHighlight));
    QVERIFY(!EditorHighlight);
    QVERIFY(!m_window->mnuSyntaxHighlight->isChecked());
    m_window->SaveSettings();
    QCOMPARE(stored(), 0);
    m_window.reset();
    ResetGlobals();
    createWindow();
    QVERIFY(!EditorHighlight);
    QVERIFY(!m_window->mnuSyntaxHighlight->isChecked());
    m_window->RTF->setPlainText("10 PRINT 1");
    QVERIFY(formatsOf(m_window->RTF, 0).isEmpty());
    // Back on: once in the file, it stays written, with its value.
    QVERIFY(runMenuItem(m_window->mnuSyntaxHighlight));
    QVERIFY(!formatsOf(m_window->RTF, 0).isEmpty());
    m_window->SaveSettings();
    QCOMPARE(stored(), 1);
}

QTEST_MAIN(FindHighlightTest)
#include "tst_findhighlight.moc"
