#include "terminal/TerminalLink.h"

#include "platform/HandOver.h"
#include "platform/Prompts.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <utility>

FrameLimiter::FrameLimiter(QWidget* window) : m_window(window)
{
    m_sincePaint.start();
    window->installEventFilter(this);
}

FrameLimiter::~FrameLimiter()
{
    if (m_window && m_held)
        QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

void FrameLimiter::beforeEvents()
{
    m_holding = m_sincePaint.elapsed() < kFrameMs;
    if (m_holding)
        return;
    m_sincePaint.restart();
    // A request held back is not asked again by the window; ask for it now.
    if (m_window && std::exchange(m_held, false))
        QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

void FrameLimiter::paintWhileWaiting()
{
    if (!m_window || m_sincePaint.elapsed() < kFrameMs)
        return;
    m_sincePaint.restart();
    m_holding = false;
    m_held = false;
    // Only what painting needs: the geometry that changed (a page brought forward, a status text of
    // another width), then the picture. Both are delivered here directly; input, timers and the
    // port's hand-overs stay queued.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    // What a menu or a dialog closed just before left on the screen is the window system's to report,
    // and its reports wait with the input; the first picture is therefore the whole window.
    if (!std::exchange(m_paintedWhileWaiting, true))
        m_window->update();
    QEvent paint(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(m_window, &paint);
}

bool FrameLimiter::eventFilter(QObject* watched, QEvent* event)
{
    // A dialog opened between two lines (a warning, a settings window) has the window painted behind
    // it as usual.
    if (m_holding && watched == m_window && event->type() == QEvent::UpdateRequest &&
        !QApplication::activeModalWidget()) {
        m_held = true;
        return true;
    }
    return false;
}

TerminalLink::TerminalLink(TSerComm& port, QWidget* window) : m_port(port), m_frames(window) {}

bool TerminalLink::portOpen() const { return GlobVar::PortOpen; }

void TerminalLink::writeString(const QByteArray& bytes) { m_port.WriteString(bytes); }

QByteArray TerminalLink::readString() { return m_port.ReadString(); }

void TerminalLink::waitForInput(Clock::time_point deadline)
{
    using namespace std::chrono;
    // Short waits, so that the deadline is looked at soon after it passed even when the device says
    // nothing; input ends the wait at once.
    const auto left = duration_cast<milliseconds>(deadline - now()).count();
    m_port.WaitForInput(int(std::clamp<long long>(left, 0, 2)));
    m_frames.paintWhileWaiting();
}

void TerminalLink::processEvents()
{
    m_frames.beforeEvents();
    ProcessMessages();
    // The writer hands the transmit-empty event of each write to this thread and waits for it. A
    // hand-over that comes in only now is served here as well: left for later, the next line would
    // wait behind it in the writer while this thread waits for that line's answer.
    settleWrites();
}

void TerminalLink::settleWrites()
{
    HandOver::waitServing([this] { return m_port.TransmitSettled(); }, kSettleLimitMs);
}

void TerminalLink::showTimeout(const QString& message)
{
    Prompts::instance().warning(QStringLiteral("Warnung"), message);
}

bool TerminalLink::portLost() const { return m_port.DeviceLost(); }
