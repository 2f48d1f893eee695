// The terminal page's session log and its reconnection to a device that went away and came back.

#include "terminal/TerminalPage.h"

#include "platform/Prompts.h"
#include "platform/StringTable.h"
#include "serial/DeviceWatcher.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"
#include "terminal/SessionLog.h"
#include "terminal/TerminalPane.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <exception>

using namespace GlobVar;

namespace {

QString text(int tag) { return StringTable::LoadStr(tag + StringTable::LanguageOffset(Language)); }

} // namespace

// ---------------------------------------------------------------------------------------------------
// The session log

bool TerminalPage::logging() const { return m_log->running(); }

void TerminalPage::toggleSessionLog()
{
    if (m_log->running()) {
        stopLog();
        return;
    }
    // The item ticks itself on the click; it shows the log's state, whatever the user answers.
    m_controls.sessionLog->setChecked(false);
    const QString path = Prompts::instance().saveFile({text(982), SourceCodePfad, text(983), QStringLiteral("log")});
    if (path.isEmpty())
        return;
    if (!m_log->start(path, m_controls.logSent->isChecked())) {
        Prompts::instance().warning(text(990), text(985).arg(path) + QStringLiteral("\n\n") + m_log->error());
        return;
    }
    m_controls.sessionLog->setChecked(true);
    emit loggingChanged(true);
}

void TerminalPage::logSentToggled() { m_log->setLogsSent(m_controls.logSent->isChecked()); }

void TerminalPage::stopLog()
{
    if (!m_log->running())
        return;
    m_log->stop();
    m_controls.sessionLog->setChecked(false);
    emit loggingChanged(false);
}

void TerminalPage::logReceived(const QByteArray& bytes)
{
    if (m_log->running() && !m_log->received(bytes))
        logFailed();
}

void TerminalPage::logSent(const QByteArray& bytes)
{
    if (m_log->running() && !m_log->sent(bytes))
        logFailed();
}

void TerminalPage::logFailed()
{
    // The log has closed its file already; the terminal goes on without it.
    m_controls.sessionLog->setChecked(false);
    emit loggingChanged(false);
    // Told after the write that failed has returned: it may be a key's or a line's, which go on.
    const QString message = text(984).arg(m_log->path()) + QStringLiteral("\n\n") + m_log->error();
    QMetaObject::invokeMethod(
        this, [message] { Prompts::instance().warning(text(990), message); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------------------------------
// Reconnection

void TerminalPage::rememberDevice()
{
    // Read while the device is there: once it is pulled out, the system forgets its serial number.
    m_devicePath = m_controls.port->DevicePath();
    m_deviceIdentity = m_watcher->usbIdentity(m_devicePath);
}

bool TerminalPage::watchForLostDevice()
{
    if (!EnvReconnect || m_devicePath.isEmpty() || !m_watcher->watch(m_devicePath, m_deviceIdentity))
        return false;
    showNote(text(987));
    return true;
}

void TerminalPage::reconnect(const QString& path)
{
    // The option may have been switched off, or the user opened a port meanwhile.
    if (!EnvReconnect || PortOpen) {
        m_watcher->stop();
        return;
    }
    TSerComm* port = m_controls.port;
    // The same device, perhaps under a new name: the port opens that name until the user opens a port.
    if (m_ownDeviceName.isEmpty())
        m_ownDeviceName = port->DeviceName();
    port->SetDeviceName(path);
    try {
        port->Open();
    } catch (const std::exception&) {
        // Not ready yet (its permissions follow a moment later, reported again): the watch goes on.
        return;
    }
    m_watcher->stop();
    portOpened();
    showNote(text(988));
}

void TerminalPage::forgetLostDevice()
{
    m_watcher->stop();
    if (!m_ownDeviceName.isEmpty())
        m_controls.port->SetDeviceName(std::exchange(m_ownDeviceName, QString()));
}

void TerminalPage::showNote(const QString& note)
{
    const bool lineBegun = !m_controls.pane->document()->lastBlock().text().isEmpty();
    m_pane->appendReceived((lineBegun ? QStringLiteral("\n") : QString()) + note + u'\n');
}
