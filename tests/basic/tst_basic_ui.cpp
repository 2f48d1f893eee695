#include "ReferenceLineTools.h"

#include "basic/AutoNumber.h"
#include "basic/Renumber.h"
#include "basic/SortProgram.h"
#include "dialogs/AutoNum_Unit.h"
#include "dialogs/ReNum_Unit.h"
#include "editor/PlainTextEditLines.h"
#include "platform/Errors.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <functional>

namespace {

// Runs `act` on the modal dialog as soon as it is shown (exec() blocks the test until it closes).
void onModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

QLineEdit* edit(QWidget* dialog, const char* name) { return dialog->findChild<QLineEdit*>(name); }
QPushButton* button(QWidget* dialog, const char* name) { return dialog->findChild<QPushButton*>(name); }

// Fills both boxes and presses a button of the shown dialog.
void answer(const QString& start, const QString& step, const char* buttonName)
{
    onModal([=](QWidget* dialog) {
        edit(dialog, "txtStartwert")->setText(start);
        edit(dialog, "txtSchrittweite")->setText(step);
        button(dialog, buttonName)->click();
    });
}

} // namespace

class BasicUiTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void renumberDialog_controlsAndTexts();
    void renumberDialog_showsTheCurrentValuesEachTime();
    void renumberDialog_closing_data();
    void renumberDialog_closing();
    void renumberDialog_conversionError_data();
    void renumberDialog_conversionError();
    void renumberCommand_rewritesThePaneInOneUndoStep();
    void renumberCommand_cancelChangesNothing();
    void renumberCommand_errors_writeBackWhatWasDone_data();
    void renumberCommand_errors_writeBackWhatWasDone();
    void renumberCommand_singleLine_leavesTheCaret();

    void paneLines_followTheTextModel_data();
    void paneLines_followTheTextModel();
    void paneAdapter_sortReplaysTheChangeHandlerLikeLineByLineEdits_data();
    void paneAdapter_sortReplaysTheChangeHandlerLikeLineByLineEdits();
    void paneAdapter_keepsTheCaretLineAndColumn();

    void autoNumber_switchingOnAppendsTheStartLine();
    void autoNumber_dialogPaths_data();
    void autoNumber_dialogPaths();
    void autoNumber_appendsAfterTheLastLine_data();
    void autoNumber_appendsAfterTheLastLine();
};

void BasicUiTest::init()
{
    RenumberStart = 10;
    RenumberStep = 10;
    RenumberConfirmed = false;
    AutoNumStart = 0;
    AutoNumStep = 0;
    AutoNumberOn = false;
}

void BasicUiTest::renumberDialog_controlsAndTexts()
{
    TfrmReNum dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ReNummerierung"));
    QCOMPARE(dialog.findChild<QGroupBox*>("gboxWerte")->title(), QStringLiteral("Werte einstellen"));
    QCOMPARE(edit(&dialog, "txtStartwert")->text(), QStringLiteral("10"));
    QCOMPARE(edit(&dialog, "txtSchrittweite")->text(), QStringLiteral("10"));
    QCOMPARE(dialog.findChild<QLabel*>("lblStartwert")->text(), QStringLiteral("Startwert:"));
    QCOMPARE(dialog.findChild<QLabel*>("lblSchrittweite")->text(), QStringLiteral("Schrittweite:"));
    QCOMPARE(button(&dialog, "BitBtnCancel")->text(), QStringLiteral("&Abbrechen"));
    QCOMPARE(button(&dialog, "BitBtnOK")->text(), QStringLiteral("&OK"));
    QVERIFY(button(&dialog, "BitBtnOK")->isDefault());
    QVERIFY(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    dialog.show();
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize()); // fixed border
    dialog.hide();
}

void BasicUiTest::renumberDialog_showsTheCurrentValuesEachTime()
{
    TfrmReNum dialog;
    RenumberStart = 7;
    RenumberStep = -3;
    QString shownStart, shownStep;
    bool startHasFocus = false;
    onModal([&](QWidget* shown) {
        shownStart = edit(shown, "txtStartwert")->text();
        shownStep = edit(shown, "txtSchrittweite")->text();
        startHasFocus = shown->focusWidget() == edit(shown, "txtStartwert");
        edit(shown, "txtStartwert")->setText("999"); // left behind, then cancelled
        button(shown, "BitBtnCancel")->click();
    });
    runRenumberDialog(dialog);
    QCOMPARE(shownStart, QStringLiteral("7"));
    QCOMPARE(shownStep, QStringLiteral("-3"));
    QVERIFY(startHasFocus);
    onModal([&](QWidget* shown) {
        shownStart = edit(shown, "txtStartwert")->text();
        button(shown, "BitBtnCancel")->click();
    });
    runRenumberDialog(dialog);
    QCOMPARE(shownStart, QStringLiteral("7"));
}

void BasicUiTest::renumberDialog_closing_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("goesOn");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("step");
    QTest::newRow("OK button") << "ok" << true << 100 << 5;
    QTest::newRow("Enter in a box") << "enter" << true << 100 << 5;
    QTest::newRow("Cancel button") << "cancel" << false << 10 << 10;
    QTest::newRow("Esc") << "esc" << false << 10 << 10;
    QTest::newRow("close box") << "close" << true << 10 << 10;
}

void BasicUiTest::renumberDialog_closing()
{
    QFETCH(QString, way);
    QFETCH(bool, goesOn);
    QFETCH(int, start);
    QFETCH(int, step);
    ScriptedPrompts prompts;
    TfrmReNum dialog;
    onModal([&](QWidget* shown) {
        QLineEdit* startBox = edit(shown, "txtStartwert");
        startBox->setText("100");
        edit(shown, "txtSchrittweite")->setText("5");
        if (way == "ok")
            button(shown, "BitBtnOK")->click();
        else if (way == "enter")
            QTest::keyClick(startBox, Qt::Key_Return);
        else if (way == "cancel")
            button(shown, "BitBtnCancel")->click();
        else if (way == "esc")
            QTest::keyClick(startBox, Qt::Key_Escape);
        else
            shown->close();
    });
    QCOMPARE(runRenumberDialog(dialog), goesOn);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(RenumberStart, start);
    QCOMPARE(RenumberStep, step);
    QVERIFY(prompts.shown.isEmpty());
}

void BasicUiTest::renumberDialog_conversionError_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("startAfter");
    QTest::addColumn<int>("stepAfter");
    // A failing start value ends the handler before the step is read.
    QTest::newRow("start fails") << "abc" << "5" << "'abc' ist kein gültiger Integerwert" << 10 << 10;
    QTest::newRow("empty step fails") << "$20" << "" << "'' ist kein gültiger Integerwert" << 32 << 10;
    QTest::newRow("trailing space") << "20 " << "5" << "'20 ' ist kein gültiger Integerwert" << 10 << 10;
}

void BasicUiTest::renumberDialog_conversionError()
{
    QFETCH(QString, start);
    QFETCH(QString, step);
    QFETCH(QString, message);
    QFETCH(int, startAfter);
    QFETCH(int, stepAfter);
    ScriptedPrompts prompts;
    TfrmReNum dialog;
    answer(start, step, "BitBtnOK");
    QVERIFY(runRenumberDialog(dialog)); // the dialog closes and the renumbering still runs
    QVERIFY(!dialog.isVisible());
    QCOMPARE(prompts.texts("message"), QStringList{message});
    QCOMPARE(RenumberStart, startAfter);
    QCOMPARE(RenumberStep, stepAfter);
}

void BasicUiTest::renumberCommand_rewritesThePaneInOneUndoStep()
{
    TfrmReNum dialog;
    QPlainTextEdit pane;
    const QString before = QStringLiteral("30 PRINT A\n10 GOTO 30\n20 GOSUB 30\n");
    pane.setPlainText(before);
    pane.moveCursor(QTextCursor::End);
    const int undoSteps = pane.document()->availableUndoSteps();
    QSignalSpy textChanged(&pane, &QPlainTextEdit::textChanged);
    DocumentFlags flags{before.size(), false, false};
    answer("100", "10", "BitBtnOK");
    const RenumberCommandResult result =
        runRenumberCommand(dialog, &pane, flags.sortCleanupPending, [&](const LineChanges& c) { flags.replay(c); });
    QCOMPARE(result, RenumberCommandResult::Completed);
    QCOMPARE(pane.toPlainText(), QStringLiteral("100 goto 120\n110 gosub 120\n120 print a\n"));
    QCOMPARE(pane.textCursor().position(), 0);
    QCOMPARE(textChanged.count(), 0); // the listener stands in for the pane's own notification
    QVERIFY(flags.editorModified);
    QVERIFY(flags.sortCleanupPending);
    pane.undo();
    QCOMPARE(pane.toPlainText(), before);
    QCOMPARE(pane.document()->availableUndoSteps(), undoSteps);
}

void BasicUiTest::renumberCommand_cancelChangesNothing()
{
    TfrmReNum dialog;
    QPlainTextEdit pane;
    pane.setPlainText(QStringLiteral("  20 B\n\n10 A"));
    pane.moveCursor(QTextCursor::End);
    bool pending = true;
    bool notified = false;
    answer("100", "10", "BitBtnCancel");
    QCOMPARE(runRenumberCommand(dialog, &pane, pending, [&](const LineChanges&) { notified = true; }),
             RenumberCommandResult::Cancelled);
    QCOMPARE(pane.toPlainText(), QStringLiteral("  20 B\n\n10 A"));
    QVERIFY(pending);
    QVERIFY(!notified);
    QVERIFY(!pane.document()->isUndoAvailable());
}

void BasicUiTest::renumberCommand_errors_writeBackWhatWasDone_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("message");
    QTest::newRow("sort stops at a line without number") << "20 A\n10 B\nX\n5 C" << "10 B\n20 A\nX\n5 C"
                                                         << "'X' ist kein gültiger Integerwert";
    QTest::newRow("renumbering stops at a target") << "30 RETI\n20 END\n10 ONTIME 5 ,30\n"
                                                   << "10 ONTIME 5 ,30\n20 END\n30 RETI\n"
                                                   << "',' ist kein gültiger Integerwert";
}

void BasicUiTest::renumberCommand_errors_writeBackWhatWasDone()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, message);
    TfrmReNum dialog;
    QPlainTextEdit pane;
    pane.setPlainText(before);
    bool pending = false;
    answer("100", "10", "BitBtnOK");
    try {
        runRenumberCommand(dialog, &pane, pending, {});
        QFAIL("no conversion error");
    } catch (const EConvertError& e) {
        QCOMPARE(e.message(), message);
    }
    QCOMPARE(pane.toPlainText(), after);
}

void BasicUiTest::renumberCommand_singleLine_leavesTheCaret()
{
    TfrmReNum dialog;
    QPlainTextEdit pane;
    pane.setPlainText(QStringLiteral("10 GOTO 10"));
    pane.moveCursor(QTextCursor::End);
    bool pending = false;
    answer("100", "10", "BitBtnOK");
    QCOMPARE(runRenumberCommand(dialog, &pane, pending, {}), RenumberCommandResult::TooFewLines);
    QCOMPARE(pane.toPlainText(), QStringLiteral("10 GOTO 10"));
    QCOMPARE(pane.textCursor().position(), 10);
}

void BasicUiTest::paneLines_followTheTextModel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("finalBreak");
    QTest::newRow("empty pane") << "" << QStringList() << false;
    QTest::newRow("one line break") << "\n" << QStringList{""} << true;
    QTest::newRow("final break adds no line") << "10 A\n20 B\n" << QStringList{"10 A", "20 B"} << true;
    QTest::newRow("no final break") << "10 A\n\n20 B" << QStringList{"10 A", "", "20 B"} << false;
}

void BasicUiTest::paneLines_followTheTextModel()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(bool, finalBreak);
    QPlainTextEdit pane;
    pane.setPlainText(text);
    bool readBreak = !finalBreak;
    QCOMPARE(PlainTextEditLines::paneLines(&pane, &readBreak), lines);
    QCOMPARE(readBreak, finalBreak);
}

void BasicUiTest::paneAdapter_sortReplaysTheChangeHandlerLikeLineByLineEdits_data()
{
    // Loaded documents, not modified; the flags are those that the line-by-line edits of the rule would
    // have left.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("error");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<bool>("pendingAfter");
    for (bool pending : {false, true}) {
        const char* suffix = pending ? ", clean-up pending" : "";
        QTest::addRow("exchanges of equal lengths%s", suffix)
            << "30 A\n20 B\n10 C\n" << pending << "10 C\n20 B\n30 A\n" << QString() << false << false;
        QTest::addRow("another length on the way%s", suffix)
            << "30 A\n20 BB\n10 C\n" << pending << "10 C\n20 BB\n30 A\n" << QString() << true << true;
        QTest::addRow("nothing to do%s", suffix) << "10 A\n20 B\n" << pending << "10 A\n20 B\n" << QString()
                                                 << false << false;
    }
    QTest::newRow("leading spaces without clean-up") << "  10 A\n\n20 B\n" << false << "  10 A\n\n20 B\n"
                                                     << "'' ist kein gültiger Integerwert" << false << false;
    QTest::newRow("clean-up shortens, nothing to exchange")
        << "  10 A\n\n20 B\n" << true << "10 A\n20 B\n" << QString() << true << false;
    QTest::newRow("error after an exchange of different lengths")
        << "30 A\n10 BB\nX\n" << false << "10 BB\n30 A\nX\n" << "'X' ist kein gültiger Integerwert" << true
        << true;
}

void BasicUiTest::paneAdapter_sortReplaysTheChangeHandlerLikeLineByLineEdits()
{
    QFETCH(QString, text);
    QFETCH(bool, pending);
    QFETCH(QString, after);
    QFETCH(QString, error);
    QFETCH(bool, modified);
    QFETCH(bool, pendingAfter);
    QPlainTextEdit pane;
    pane.setPlainText(text);
    DocumentFlags flags{text.size(), false, pending};
    QString message;
    try {
        PlainTextEditLines lines(&pane, [&](const LineChanges& c) { flags.replay(c); });
        SortProgram(lines, flags.sortCleanupPending);
    } catch (const EConvertError& e) {
        message = e.message();
    }
    QCOMPARE(pane.toPlainText(), after);
    QCOMPARE(message, error);
    QCOMPARE(flags.editorModified, modified);
    QCOMPARE(flags.sortCleanupPending, pendingAfter);
}

void BasicUiTest::paneAdapter_keepsTheCaretLineAndColumn()
{
    QPlainTextEdit pane;
    pane.setPlainText(QStringLiteral("20 BBBB\n10 A\n"));
    QTextCursor caret(pane.document()->findBlockByNumber(0));
    caret.setPosition(5);
    pane.setTextCursor(caret);
    {
        PlainTextEditLines lines(&pane);
        bool pending = false;
        SortProgram(lines, pending);
    }
    QCOMPARE(pane.toPlainText(), QStringLiteral("10 A\n20 BBBB\n"));
    QCOMPARE(pane.textCursor().blockNumber(), 0);
    QCOMPARE(pane.textCursor().positionInBlock(), 4); // the column is cut to the shorter line
}

void BasicUiTest::autoNumber_switchingOnAppendsTheStartLine()
{
    TfrmAutoNum dialog;
    QPlainTextEdit pane;
    pane.setPlainText(QStringLiteral("5 REM"));
    QList<bool> pressed;
    auto show = [&](bool on) { pressed.append(on); };

    onModal([](QWidget* shown) { button(shown, "BitBtnOK")->click(); });
    toggleAutoNumber(dialog, &pane, show);
    QVERIFY(AutoNumberOn);
    QCOMPARE(AutoNumberNext, 10);
    QCOMPARE(AutoNumberStep, 10);
    QCOMPARE(pane.toPlainText(), QStringLiteral("5 REM\n10"));
    QCOMPARE(pane.textCursor().position(), pane.toPlainText().size());

    // Switching off touches neither the text nor the caret.
    QTextCursor caret = pane.textCursor();
    caret.setPosition(2);
    pane.setTextCursor(caret);
    toggleAutoNumber(dialog, &pane, show);
    QVERIFY(!AutoNumberOn);
    QCOMPARE(pane.toPlainText(), QStringLiteral("5 REM\n10"));
    QCOMPARE(pane.textCursor().position(), 2);

    onModal([](QWidget* shown) { button(shown, "BitBtnOK")->click(); });
    toggleAutoNumber(dialog, &pane, show);
    QCOMPARE(pane.toPlainText(), QStringLiteral("5 REM\n10\n10"));
    QCOMPARE(pressed, (QList<bool>{true, false, true}));
}

void BasicUiTest::autoNumber_dialogPaths_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("appended");
    QTest::addColumn<int>("stepAfter");
    QTest::addColumn<QString>("startBoxAfter");
    QTest::addColumn<QString>("stepBoxAfter");
    QTest::addColumn<QString>("message");
    QTest::newRow("preset values") << "10" << "10" << "ok" << "10" << 10 << "10" << "10" << "";
    QTest::newRow("empty boxes become 10") << "" << "" << "ok" << "10" << 10 << "10" << "10" << "";
    QTest::newRow("negative start") << "-5" << "2" << "ok" << "-5" << 2 << "-5" << "2" << "";
    QTest::newRow("Enter presses OK") << "$10" << "3" << "enter" << "16" << 3 << "$10" << "3" << "";
    QTest::newRow("close box reads nothing") << "50" << "5" << "close" << "0" << 0 << "50" << "5" << "";
    QTest::newRow("Esc does nothing, then OK") << "7" << "1" << "esc" << "7" << 1 << "7" << "1" << "";
    // The failing start keeps its old value (0), and the step is not read at all.
    QTest::newRow("start does not convert") << "1X" << "" << "ok" << "0" << 0 << "1X" << ""
                                            << "'1X' ist kein gültiger Integerwert";
    QTest::newRow("step does not convert") << "30" << "1 0" << "ok" << "30" << 0 << "30" << "1 0"
                                           << "'1 0' ist kein gültiger Integerwert";
}

void BasicUiTest::autoNumber_dialogPaths()
{
    QFETCH(QString, start);
    QFETCH(QString, step);
    QFETCH(QString, way);
    QFETCH(QString, appended);
    QFETCH(int, stepAfter);
    QFETCH(QString, startBoxAfter);
    QFETCH(QString, stepBoxAfter);
    QFETCH(QString, message);
    ScriptedPrompts prompts;
    TfrmAutoNum dialog;
    QPlainTextEdit pane;
    bool stillOpenAfterEsc = false;
    onModal([&](QWidget* shown) {
        QLineEdit* startBox = edit(shown, "txtStartwert");
        startBox->setText(start);
        edit(shown, "txtSchrittweite")->setText(step);
        if (way == "ok") {
            button(shown, "BitBtnOK")->click();
        } else if (way == "enter") {
            QTest::keyClick(startBox, Qt::Key_Return);
        } else if (way == "esc") {
            QTest::keyClick(startBox, Qt::Key_Escape);
            stillOpenAfterEsc = shown->isVisible();
            button(shown, "BitBtnOK")->click();
        } else {
            shown->close();
        }
    });
    toggleAutoNumber(dialog, &pane, [](bool) {});
    QVERIFY(AutoNumberOn);
    QCOMPARE(pane.toPlainText(), appended);
    QCOMPARE(AutoNumberStep, stepAfter);
    QCOMPARE(edit(&dialog, "txtStartwert")->text(), startBoxAfter);
    QCOMPARE(edit(&dialog, "txtSchrittweite")->text(), stepBoxAfter);
    QCOMPARE(prompts.texts("message"), message.isEmpty() ? QStringList() : QStringList{message});
    if (way == "esc")
        QVERIFY(stillOpenAfterEsc);

    // The boxes are not refilled: opening again shows what was left in them.
    AutoNumberOn = false;
    QString shownStart;
    onModal([&](QWidget* shown) {
        shownStart = edit(shown, "txtStartwert")->text();
        shown->close();
    });
    toggleAutoNumber(dialog, &pane, [](bool) {});
    QCOMPARE(shownStart, startBoxAfter);
}

void BasicUiTest::autoNumber_appendsAfterTheLastLine_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::newRow("empty pane") << "" << "10";
    QTest::newRow("without final break") << "5 A" << "5 A\n10";
    QTest::newRow("with final break") << "5 A\n" << "5 A\n10";
    QTest::newRow("empty last line") << "5 A\n\n" << "5 A\n\n10";
}

void BasicUiTest::autoNumber_appendsAfterTheLastLine()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QPlainTextEdit pane;
    pane.setPlainText(before);
    pane.moveCursor(QTextCursor::Start);
    QSignalSpy textChanged(&pane, &QPlainTextEdit::textChanged);
    AppendPaneLine(&pane, QStringLiteral("10"));
    QCOMPARE(pane.toPlainText(), after);
    QCOMPARE(pane.textCursor().position(), after.size());
    QCOMPARE(textChanged.count(), 1); // an ordinary edit, notified as such
}

QTEST_MAIN(BasicUiTest)
#include "tst_basic_ui.moc"
