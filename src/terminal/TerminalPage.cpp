#include "terminal/TerminalPage.h"

#include "editor/PaneCommands.h"
#include "platform/Prompts.h"
#include "platform/StringTable.h"
#include "serial/DeviceWatcher.h"
#include "serial/PortMap.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"
#include "terminal/SessionLog.h"
#include "terminal/TerminalPane.h"
#include "terminal/TerminalText.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTimer>

#include <cerrno>
#include <exception>
#include <functional>
#include <utility>

using namespace GlobVar;

namespace {

const QString WarningCaption = QStringLiteral("Warnung");

// The window's key preview: sees the keys of every control of the window before the control does.
// A key that is one of the window's bindings goes to the window only; the binding acts on release.
class KeyPreview final : public QObject {
public:
    using Binding = std::function<bool(const QKeyEvent*)>;

    KeyPreview(QObject* parent, QWidget* window, Binding isBinding, std::function<void(QKeyEvent*)> onKeyUp)
        : QObject(parent), m_window(window), m_isBinding(std::move(isBinding)), m_onKeyUp(std::move(onKeyUp))
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
            return false;
        // A key event that a control leaves unused travels on to its parents; it is taken once, at the
        // control that received it first: the focus widget, or the window itself when none has it.
        QWidget* focus = QApplication::focusWidget();
        QObject* first = focus && focus->window() == m_window ? static_cast<QObject*>(focus) : m_window;
        if (watched != first)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (type == QEvent::KeyPress)
            return m_isBinding(key);
        m_onKeyUp(key);
        return false;
    }

private:
    QWidget* m_window;
    Binding m_isBinding;
    std::function<void(QKeyEvent*)> m_onKeyUp;
};

bool isControlCKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_C && (event->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
}

// Keys that carry a text but are not characters typed at the controller.
bool isCharacterKey(const QKeyEvent* event)
{
    if (event->text().isEmpty() || event->key() == Qt::Key_Delete)
        return false;
    // Alt with a letter is a menu key, not a character; Ctrl+Alt is how some keyboards type characters.
    const Qt::KeyboardModifiers mods = event->modifiers();
    return !(mods & Qt::AltModifier) || (mods & Qt::ControlModifier);
}

// Received text is gathered this long after its announcement before it goes into the pane at once.
constexpr int kGatherMs = 50;
// The most received text put into the pane without the window answering in between.
constexpr qsizetype kInsertSlice = 256 * 1024;

} // namespace

TerminalPage::TerminalPage(QWidget* window, const Controls& controls)
    : QObject(window), m_window(window), m_controls(controls)
{
    m_gather = new QTimer(this);
    m_gather->setObjectName(QStringLiteral("tmrGather"));
    m_gather->setSingleShot(true);
    m_gather->setInterval(kGatherMs);
    connect(m_gather, &QTimer::timeout, this, [this] { runCommand([this] { gatherEnded(); }); });

    QPlainTextEdit* pane = m_controls.pane;
    pane->installEventFilter(this);
    pane->viewport()->installEventFilter(this);
    pane->viewport()->setMouseTracking(true);
    m_pane = new TerminalPane(pane);
    m_pane->setMaxLines(TerminalMaxLines);
    new KeyPreview(this, window, isControlCKey, [this](QKeyEvent* event) { windowKeyReleased(event); });

    m_log = std::make_unique<SessionLog>();
    m_controls.port->OnSent = [this](TSerCustomComm*, const uint8_t* data, int count) {
        logSent(QByteArray(reinterpret_cast<const char*>(data), count));
    };
    m_watcher = new DeviceWatcher(this);
    connect(m_watcher, &DeviceWatcher::appeared, this,
            [this](const QString& path) { runCommand([this, &path] { reconnect(path); }); });
}

TerminalPage::~TerminalPage() = default;

void TerminalPage::setMaxLines(int lines) { m_pane->setMaxLines(lines); }

// ---------------------------------------------------------------------------------------------------
// Opening and closing the port

void TerminalPage::openPort()
{
    TSerComm* port = m_controls.port;
    forgetLostDevice();
    port->SetPortNum(ComPort);
    // A port that cannot be opened leaves the buttons as they were; the warning says why.
    try {
        port->Open();
    } catch (const ESerCommError& e) {
        showOpenFailure(e.message(), e.SystemError());
        return;
    } catch (const std::exception& e) {
        showOpenFailure(QString::fromLocal8Bit(e.what()), 0);
        return;
    }
    portOpened();
}

void TerminalPage::portOpened()
{
    TSerComm* port = m_controls.port;
    rememberDevice();
    m_controls.open->setEnabled(false);
    for (QAction* a : portCommands())
        a->setEnabled(true);
    if (EnvReturn)
        port->WriteByte(13);
    emit focusWanted();
}

void TerminalPage::showOpenFailure(const QString& error, int systemError)
{
    const int offset = StringTable::LanguageOffset(Language);
    QString text = StringTable::LoadStr(561 + offset).arg(QStringLiteral("COM%1").arg(ComPort)) +
                   QStringLiteral("\n\n") + error;
    if (systemError == EACCES)
        text += QStringLiteral("\n\n") + StringTable::LoadStr(562 + offset);
    Prompts::instance().warning(StringTable::LoadStr(560 + offset), text);
}

QString TerminalPage::portToolTip() const
{
    const QString name = QStringLiteral("COM%1").arg(ComPort);
    const QString path = PortMap::global().PathFor(name);
    if (path.isEmpty())
        return StringTable::LoadStr(563 + StringTable::LanguageOffset(Language)).arg(name);
    return name + QStringLiteral(" = ") + path;
}

void TerminalPage::closePort()
{
    stopLog();
    m_controls.port->Close();
    m_controls.open->setEnabled(true);
    for (QAction* a : portCommands())
        a->setEnabled(false);
}

// ---------------------------------------------------------------------------------------------------
// Received text and line events

void TerminalPage::received()
{
    // Already gathering: what was announced is read with the rest when the gathering ends. The
    // announced bytes may also have been read already (the transmission reads its answers itself);
    // then there is nothing to gather.
    if (m_gather->isActive() || m_controls.port->InputCount() == 0)
        return;
    // What arrives meanwhile belongs to the same chunk. The window goes on painting and answering
    // meanwhile, and the port goes on taking bytes off the line.
    m_gather->start(kGatherMs);
}

void TerminalPage::gatherEnded()
{
    // Everything waiting, however much came during the gathering; it goes into the pane a slice at a
    // time, the next slice as soon as the window has answered what came in meanwhile.
    const QByteArray received = m_controls.port->ReadString();
    logReceived(received);
    m_receivedPending += TerminalText::filterReceived(received);
    const QByteArray slice = m_receivedPending.left(kInsertSlice);
    m_receivedPending.remove(0, slice.size());
    insertReceived(slice);
    if (!m_receivedPending.isEmpty())
        m_gather->start(0);
}

void TerminalPage::lost(const QString& message)
{
    // A running transmission or fetch notices it and reports it when it ended.
    if (m_transmitting || m_fetching || !PortOpen)
        return;
    closeLostPort(message, QString());
}

void TerminalPage::closeLostPort(const QString& message, const QString& more)
{
    TSerComm* port = m_controls.port;
    const QString name = QStringLiteral("COM%1").arg(port->PortNum());
    const QString path = port->DevicePath();
    // Received text still gathering is shown before the port's queue goes with the port.
    if (m_gather->isActive())
        flushReceived();
    // Through the close command, so that the toolbar shows the closed port.
    closePort();
    // Waiting for the device to come back, the note in the pane says it all; a transmission that ended
    // is still reported with its line.
    if (watchForLostDevice() && more.isEmpty())
        return;
    QString text = message + QLatin1Char('\n') +
                   StringTable::LoadStr(564 + StringTable::LanguageOffset(Language)).arg(name, path);
    if (!more.isEmpty())
        text += QLatin1Char('\n') + more;
    Prompts::instance().message(text);
}

void TerminalPage::insertReceived(const QByteArray& bytes) { m_pane->appendReceived(TerminalText::fromBytes(bytes)); }

void TerminalPage::transmitEmpty()
{
    if (EnvTxBuffer)
        Prompts::instance().warning(WarningCaption, QStringLiteral("Der Sendepuffer ist voll."));
}

void TerminalPage::breakReceived()
{
    if (EnvBreak)
        Prompts::instance().warning(WarningCaption, QStringLiteral("Ein Break-Signal wurde empfangen."));
}

// ---------------------------------------------------------------------------------------------------
// The keyboard and the mouse

QAction* TerminalPage::shortcutCommand(const QKeyEvent* event) const
{
    const QKeySequence pressed(QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    // Menu items first: a pop-up item with the same shortcut runs the same command.
    for (const QList<QAction*>& list : {m_window->actions(), m_controls.pane->actions()})
        for (QAction* a : list)
            if (!a->shortcut().isEmpty() && a->shortcut() == pressed)
                return a;
    return nullptr;
}

bool TerminalPage::keyPressed(QKeyEvent* event)
{
    if (QAction* command = shortcutCommand(event)) {
        runMenuItem(command);
        return true;
    }
    // While a transmission runs, Escape stops it.
    if (m_transmitting && event->key() == Qt::Key_Escape && !(event->modifiers() & ~Qt::KeypadModifier)) {
        stopTransmission();
        return true;
    }
    const bool backspace = event->key() == Qt::Key_Backspace;
    if (!backspace && !isCharacterKey(event)) {
        // Alt with a letter neither reaches the controller nor types into the pane; other keys
        // without a character (arrows, Delete, Home ...) move and edit in the pane only.
        return (event->modifiers() & Qt::AltModifier) && !event->text().isEmpty();
    }
    // A character typed while the program goes out would mix into its lines on the board.
    if (m_transmitting)
        return true;

    const QString typed = backspace ? QString(QChar(8)) : event->text();
    for (const QChar character : typed) {
        const int byte = TerminalText::byteForKey(character.unicode());
        if (byte >= 0)
            m_controls.port->WriteByte(uint8_t(byte));
        if (character.unicode() == 8)
            m_pane->eraseLast();
        else if (ComEcho)
            m_pane->appendTyped(QString(character));
    }
    return true;
}

void TerminalPage::showCaretPosition() { emit caretTextChanged(PaneCommands::caretText(m_controls.pane)); }

bool TerminalPage::eventFilter(QObject* watched, QEvent* event)
{
    QPlainTextEdit* pane = m_controls.pane;
    if (watched == pane) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // The pane would take its own editing keys (Ctrl+C, Ctrl+A, Ctrl+Del ...); the window's
            // commands come first.
            if (shortcutCommand(static_cast<QKeyEvent*>(event))) {
                event->accept();
                return true;
            }
            return false;
        case QEvent::KeyPress: {
            // A port that fails on the key's byte ends the key here; the error is shown and the key
            // goes no further, neither to the pane nor through the toolkit's event dispatch.
            bool used = true;
            runCommand([&] { used = keyPressed(static_cast<QKeyEvent*>(event)); });
            return used;
        }
        case QEvent::KeyRelease:
            showCaretPosition();
            return false;
        default:
            return false;
        }
    }
    // The mouse over the pane decides the Clear commands too; they are the editing commands'.
    if (watched == pane->viewport() && event->type() == QEvent::MouseMove)
        showCaretPosition();
    return false;
}

void TerminalPage::windowKeyReleased(const QKeyEvent* event)
{
    if (event->isAutoRepeat())
        return;
    // F1 and Ctrl+F1 are the help items' own shortcuts, which act when the key goes down; running
    // them here again would open the help twice for one press.
    if (isControlCKey(event))
        runCommand([this] { sendControlC(); });
}

void TerminalPage::sendControlC() { m_controls.port->WriteByte(3); }

void TerminalPage::toggleEcho()
{
    ComEcho = !ComEcho;
    m_controls.echo->setChecked(ComEcho);
}
