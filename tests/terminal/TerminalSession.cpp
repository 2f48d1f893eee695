#include "TerminalSession.h"

#include "app/TfrmTerminal.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"
#include "settings/SettingsStore.h"
#include "terminal/TfrmFTaste.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QElapsedTimer>
#include <QTest>

#include <unistd.h>

namespace {

QByteArray readAvailable(int fd)
{
    QByteArray out;
    char chunk[4096];
    for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;)
        out.append(chunk, n);
    return out;
}

} // namespace

TerminalSession::TerminalSession()
{
    GlobVar::ResetGlobals();
    SettingsStore::resetForTests(dir.filePath("HKEY_CURRENT_USER.reg"));
    pointPort(1, pty.slavePath());
}

TerminalSession::~TerminalSession()
{
    window.reset();
    pointPort(1, QString());
}

void TerminalSession::start()
{
    window = std::make_unique<TfrmTerminal>();
    keys = new TfrmFTaste(window.get(), {window->mnuInhalt, window->mnuBasicReferenz,
                                           window->mnuFTasten, window->SerComm1});
    window->setFunctionKeyWindow(keys);
    auto show = window->SerComm1->OnRxChar;
    window->SerComm1->OnRxChar = [this, show](TSerCustomComm* sender, int count) {
        show(sender, count);
        ++receivedChunks;
    };
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->MemoT->setFocus();
    QTRY_VERIFY(window->MemoT->hasFocus());
}

bool TerminalSession::openPort()
{
    action("tbnCommOpen")->trigger();
    return GlobVar::PortOpen;
}

void TerminalSession::receive(const QByteArray& chunk)
{
    const int before = receivedChunks;
    pty.write(chunk);
    QTRY_VERIFY_WITH_TIMEOUT(receivedChunks > before && window->SerComm1->InputCount() == 0, 10000);
}

QAction* TerminalSession::action(const char* name) const { return window->findChild<QAction*>(QLatin1String(name)); }

QByteArray TerminalSession::sent(int count, int timeoutMs)
{
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (out.size() < count && clock.elapsed() < timeoutMs) {
        QTest::qWait(2);
        out += readAvailable(pty.master());
    }
    return out;
}

QByteArray TerminalSession::sentUntilQuiet(int quietMs)
{
    QByteArray out;
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < quietMs) {
        QTest::qWait(2);
        const QByteArray more = readAvailable(pty.master());
        if (!more.isEmpty()) {
            out += more;
            quiet.restart();
        }
    }
    return out;
}

QByteArray TerminalSession::sentExactly(int count)
{
    QByteArray out = sent(count, 5000);
    return out + sentUntilQuiet(150);
}
