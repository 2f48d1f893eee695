// Reconnection after an unplugged adapter: the device that comes back under the port's name is
// opened again with the port's line settings, and the pane says what happened. Switched off, the
// lost port stays closed as before.

#include "TerminalSession.h"

#include "app/TfrmTerminal.h"
#include "serial/SerComm.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

#include <termios.h>

using namespace GlobVar;

namespace {

// COM1 under a name of the test's own, first leading to the session's pseudo-terminal: the name
// stays, the device behind it is replaced, as an adapter plugged in again is given the old name.
struct LinkedPort {
    QTemporaryDir dir;
    QString name = dir.filePath(QStringLiteral("ttyBoard"));

    bool pointAt(const QString& device)
    {
        QFile::remove(name);
        return QFile::link(device, name);
    }
};

speed_t lineSpeed(int fd)
{
    termios t{};
    tcgetattr(fd, &t);
    return cfgetispeed(&t);
}

} // namespace

class ReconnectTest : public QObject {
    Q_OBJECT

private slots:
    void deviceBackUnderItsName_isReopenedWithItsSettings_data();
    void deviceBackUnderItsName_isReopenedWithItsSettings();
    void optionOff_nothingIsReopened();
    void userOpeningAPort_endsTheWait();
};

void ReconnectTest::deviceBackUnderItsName_isReopenedWithItsSettings_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("lostNote");
    QTest::addColumn<QString>("backNote");
    QTest::newRow("German") << 1 << QStringLiteral("--- Verbindung getrennt ---")
                            << QStringLiteral("--- wieder verbunden ---");
    QTest::newRow("English") << 2 << QStringLiteral("--- Connection lost ---") << QStringLiteral("--- Reconnected ---");
}

void ReconnectTest::deviceBackUnderItsName_isReopenedWithItsSettings()
{
    QFETCH(int, language);
    QFETCH(QString, lostNote);
    QFETCH(QString, backNote);
    TerminalSession s;
    LinkedPort link;
    QVERIFY(link.pointAt(s.pty.slavePath()));
    pointPort(1, link.name);
    Language = language;
    EnvReconnect = true;
    ComBaudrate = 4; // 1200 baud: not what a new device starts with
    s.start();
    QVERIFY(s.openPort());
    QCOMPARE(lineSpeed(s.pty.slave()), speed_t(B1200));
    s.receive("READY\r\n>");

    s.pty.closeMaster();
    QTRY_VERIFY(!PortOpen);
    QTRY_COMPARE(s.window->MemoT->toPlainText(), QStringLiteral("READY\n>\n%1\n").arg(lostNote));
    // The note says it; no box waits for a click meanwhile.
    QCOMPARE(s.prompts.shown.size(), 0);
    QVERIFY(s.action("tbnCommOpen")->isEnabled());

    PtyPair back;
    QVERIFY(back.ok());
    QCOMPARE(lineSpeed(back.slave()), speed_t(B38400));
    QVERIFY(link.pointAt(back.slavePath()));
    QTRY_VERIFY_WITH_TIMEOUT(PortOpen, 2000);
    QCOMPARE(lineSpeed(back.slave()), speed_t(B1200));
    QVERIFY(!s.action("tbnCommOpen")->isEnabled());
    QVERIFY(s.action("tbnCommClose")->isEnabled());
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("READY\n>\n%1\n%2\n").arg(lostNote, backNote));

    // The line works both ways again.
    QTest::keyClicks(s.window->MemoT, QStringLiteral("L"));
    QCOMPARE(back.read(1, 2000), QByteArray("L"));
    back.write("OK");
    QTRY_VERIFY(s.window->MemoT->toPlainText().endsWith(QStringLiteral("OK")));
    QCOMPARE(s.prompts.shown.size(), 0);
}

void ReconnectTest::optionOff_nothingIsReopened()
{
    TerminalSession s;
    LinkedPort link;
    QVERIFY(link.pointAt(s.pty.slavePath()));
    pointPort(1, link.name);
    s.start();
    QVERIFY(!EnvReconnect);
    QVERIFY(s.openPort());
    s.receive("READY\r\n>");

    s.pty.closeMaster();
    // The loss is told as it always was, and the pane has no note.
    QTRY_COMPARE(s.prompts.texts(QStringLiteral("message")).size(), 1);
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("READY\n>"));

    PtyPair back;
    QVERIFY(link.pointAt(back.slavePath()));
    QTest::qWait(500);
    QVERIFY(!PortOpen);
    QVERIFY(s.action("tbnCommOpen")->isEnabled());
    QCOMPARE(s.window->MemoT->toPlainText(), QStringLiteral("READY\n>"));
}

void ReconnectTest::userOpeningAPort_endsTheWait()
{
    TerminalSession s;
    LinkedPort link;
    QVERIFY(link.pointAt(s.pty.slavePath()));
    pointPort(1, link.name);
    EnvReconnect = true;
    s.start();
    QVERIFY(s.openPort());
    s.pty.closeMaster();
    QTRY_VERIFY(!PortOpen);

    // The user plugs in another device and opens it himself, then closes it again.
    PtyPair other;
    pointPort(1, other.slavePath());
    QVERIFY(s.openPort());
    s.action("tbnCommClose")->trigger();
    QVERIFY(!PortOpen);

    // The old name coming back opens nothing now.
    PtyPair back;
    QVERIFY(link.pointAt(back.slavePath()));
    QTest::qWait(500);
    QVERIFY(!PortOpen);
}

QTEST_MAIN(ReconnectTest)
#include "tst_reconnect.moc"
