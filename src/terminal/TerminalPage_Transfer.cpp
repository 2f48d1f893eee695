// The terminal page's dialogues with the board that run as one command: the transmission of the
// editor's program, with its check, progress, stop and failing line, and the fetch of the board's
// program into the editor.

#include "terminal/TerminalPage.h"

#include "basic/ProgramCheck.h"
#include "basic/ProgramFetch.h"
#include "basic/ProgramTransmission.h"
#include "dialogs/TaggedTexts.h"
#include "editor/EditorDocument.h"
#include "editor/PlainTextEditLines.h"
#include "platform/Prompts.h"
#include "platform/StringTable.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"
#include "terminal/ProgramCheckDialog.h"
#include "terminal/TerminalLink.h"
#include "terminal/TerminalPane.h"
#include "terminal/TerminalText.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextBlock>
#include <QTimer>

#include <utility>

using namespace GlobVar;

namespace {

// The texts of the transmission's command while a transmission runs.
constexpr int StopTag = 941;
constexpr char IdleTagProperty[] = "idleTag";

QString tableText(int tag) { return StringTable::LoadStr(tag + StringTable::LanguageOffset(Language)); }

// Runs its function when it goes, also when an error of the port ends the command.
template <typename Fn> class OnExit {
public:
    explicit OnExit(Fn fn) : m_fn(std::move(fn)) {}
    ~OnExit() { m_fn(); }
    OnExit(const OnExit&) = delete;
    OnExit& operator=(const OnExit&) = delete;

private:
    Fn m_fn;
};

} // namespace

class TerminalPage::PageLink final : public TerminalLink {
public:
    explicit PageLink(TerminalPage& page) : TerminalLink(*page.m_controls.port, page.m_window), m_page(page) {}

    bool approve(const EditorLines& program) override
    {
        const QList<ProgramCheck::Problem> problems = ProgramCheck::check(program);
        if (problems.isEmpty())
            return true;
        const int choosable = int(qMin<qsizetype>(problems.size(), ProgramCheck::MaxListed));
        ProgramCheckDialog question(m_page.m_window, ProgramCheck::listed(problems, Language), choosable, Language);
        const int answer = question.exec();
        if (answer == ProgramCheckDialog::Send)
            return true;
        if (answer == ProgramCheckDialog::ShowEntry) {
            m_page.putEditorCaret(problems.at(question.chosenEntry()).line);
            emit m_page.editorWanted();
        }
        return false;
    }
    void lineStarted(int line, int count) override
    {
        if (line == 0)
            m_page.showTransmitting(true);
        m_line = line;
        emit m_page.statusTextChanged(ProgramTransmission::progressText(line + 1, count, Language));
    }
    void showAnswer(const QByteArray& answer) override
    {
        m_page.logReceived(answer);
        m_page.insertReceived(answer);
    }
    bool stopRequested() const override { return m_page.m_stopRequested; }
    void lineTimedOut(int line, const QByteArray& received) override
    {
        // The warning has been read; the editor shows where it went wrong, the terminal stays in front.
        m_page.putEditorCaret(line);
        emit m_page.statusTextChanged(
            ProgramTransmission::failureText(line + 1, ProgramTransmission::failureOf(received), Language));
    }

    // The line sent last (from 0); -1 before the first.
    int line() const { return m_line; }

private:
    TerminalPage& m_page;
    int m_line = -1;
};

void TerminalPage::setTransferCommands(QAction* transmitItem, QAction* fetch, QAction* fetchPopup)
{
    m_transmitItem = transmitItem;
    m_fetch = fetch;
    m_fetchPopup = fetchPopup;
    for (QAction* a : {m_transmitItem, m_fetch, m_fetchPopup})
        if (a)
            a->setEnabled(PortOpen);
}

QList<QAction*> TerminalPage::portCommands() const
{
    QList<QAction*> commands{m_controls.close, m_controls.controlC, m_controls.transmit};
    for (QAction* a : {m_transmitItem, m_fetch, m_fetchPopup})
        if (a && !(m_transmitting && (a == m_fetch || a == m_fetchPopup)))
            commands.append(a);
    return commands;
}

void TerminalPage::showTransmitting(bool running)
{
    for (QAction* a : {m_controls.transmit, m_transmitItem}) {
        if (!a)
            continue;
        if (running) {
            a->setProperty(IdleTagProperty, a->property(TagProperty));
            tagControl(a, StopTag);
        } else {
            tagControl(a, a->property(IdleTagProperty).toInt());
        }
        // Through the tag, so that a change of language while it runs keeps the command's meaning.
        applyTaggedText(a, StringTable::LanguageOffset(Language));
    }
    if (running) {
        m_transmitIcon = m_controls.transmit->icon();
        m_controls.transmit->setIcon(m_window->style()->standardIcon(QStyle::SP_BrowserStop));
    } else {
        m_controls.transmit->setIcon(m_transmitIcon);
    }
    for (QAction* a : {m_fetch, m_fetchPopup})
        if (a)
            a->setEnabled(!running && PortOpen);
}

void TerminalPage::putEditorCaret(int line)
{
    QPlainTextEdit* editor = m_controls.editor;
    const QTextBlock block = editor->document()->findBlockByNumber(line);
    if (!block.isValid())
        return;
    QTextCursor caret(block);
    editor->setTextCursor(caret);
    editor->ensureCursorVisible();
}

void TerminalPage::stopTransmission()
{
    if (m_transmitting)
        m_stopRequested = true;
}

void TerminalPage::transmit()
{
    // The command stops the transmission that runs; it never starts a second one inside the first.
    if (m_transmitting) {
        stopTransmission();
        return;
    }
    if (m_fetching)
        return;
    emit pageWanted();
    emit statusTextChanged(QString());
    // The program as it is when the transmission starts; edits made between lines do not mix into it.
    const PlainTextEditLines program(m_controls.editor);
    PageLink link(*this);
    ProgramTransmission::Outcome outcome;
    {
        m_transmitting = true;
        m_stopRequested = false;
        const OnExit done([&] {
            m_transmitting = false;
            if (link.line() >= 0)
                showTransmitting(false);
        });
        outcome = ProgramTransmission::transmit(program, link, Language);
    }
    switch (outcome) {
    case ProgramTransmission::Outcome::Completed:
    case ProgramTransmission::Outcome::PortLost:
        emit statusTextChanged(QString());
        break;
    case ProgramTransmission::Outcome::Stopped:
        emit statusTextChanged(ProgramTransmission::stoppedText(link.line() + 1, Language));
        break;
    default:
        // A time-out has said its reason; nothing went out otherwise.
        break;
    }
    reportLostDevice(link.lostAt(), link.lostAt() >= 0 ? program.line(link.lostAt()) : QString());
}

void TerminalPage::reportLostDevice(int line, const QString& lineText)
{
    // A device lost during the dialogue is reported here, once, with the line it ended at; one lost
    // after the dialogue ended is reported all the same.
    TSerComm* port = m_controls.port;
    if (!port->DeviceLost() || !PortOpen)
        return;
    QString more;
    if (line >= 0)
        more = tableText(565).arg(QString::number(line + 1), lineText);
    closeLostPort(port->LossMessage(), more);
}

void TerminalPage::flushReceived()
{
    m_gather->stop();
    const QByteArray received = m_controls.port->ReadString();
    logReceived(received);
    insertReceived(std::exchange(m_receivedPending, {}) + TerminalText::filterReceived(received));
}

void TerminalPage::fetchProgram(EditorDocument& document)
{
    if (m_transmitting || m_fetching || !PortOpen)
        return;
    // Asked before the board is asked: Cancel sends nothing.
    if (!document.mayReplace())
        return;
    emit pageWanted();
    PageLink link(*this);
    // LIST must not wait in the writer behind a write whose hand-over nobody serves meanwhile.
    link.settleWrites();
    // What the board said before belongs in front of the listing, not into it.
    flushReceived();
    ProgramFetch::Result result;
    {
        m_fetching = true;
        const OnExit done([this] {
            m_fetching = false;
            emit statusTextChanged(QString());
        });
        result = ProgramFetch::fetch(link, [this](int lines) { emit statusTextChanged(tableText(959).arg(lines)); });
    }
    // The terminal shows the dialogue as if LIST had been typed, also when the board did not finish.
    logReceived(result.received);
    insertReceived(TerminalText::filterReceived(result.received));
    switch (result.outcome) {
    case ProgramFetch::Outcome::Completed: {
        const QStringList lines = ProgramFetch::programLines(result.received);
        if (lines.isEmpty())
            Prompts::instance().message(tableText(960));
        else
            document.openUnnamed(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        break;
    }
    case ProgramFetch::Outcome::TimedOut:
        link.showTimeout(ProgramTransmission::timeoutMessage(Language));
        break;
    case ProgramFetch::Outcome::PortClosed:
    case ProgramFetch::Outcome::PortLost:
        break;
    }
    reportLostDevice(-1, QString());
}
