// The line-parameter dialog and the port selection: on their own through their controls, and from the
// main window against a pseudo-terminal, down to the line settings the port then really runs with.

#include "../serial/LineProbe.h"
#include "../terminal/TerminalSession.h"

#include "app/StatusBar.h"
#include "app/TfrmTerminal.h"
#include "dialogs/TfrmComPort.h"
#include "dialogs/TfrmEinstellungen.h"
#include "platform/WinColor.h"
#include "serial/SerComm.h"
#include "serial/SerialPortList.h"
#include "settings/GlobVar_Unit.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>
#include <termios.h>

using namespace GlobVar;

namespace {

template <typename W = QRadioButton>
W* child(QWidget* dialog, const QString& name)
{
    W* w = dialog->findChild<W*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

// Clicks the named radio buttons, then the named button of the modal dialog as soon as it is shown
// (exec() blocks the test until it closes); `look` sees the dialog first.
void answer(const QStringList& radios, const QString& button, std::function<void(QWidget*)> look = {})
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        if (look)
            look(dialog);
        for (const QString& name : radios)
            child(dialog, name)->click();
        button.isEmpty() ? void(dialog->close()) : child<QPushButton>(dialog, button)->click();
    });
    timer->start();
}

// The line-parameter dialog on its own; the status panels it writes are kept here.
struct SettingsDialog {
    QMap<int, QString> panels;
    std::function<void()> colours;
    TfrmEinstellungen dialog{nullptr, {[this](int panel, const QString& text) { panels[panel] = text; },
                                       [this] { colours ? colours() : void(); }}};
    QRadioButton* radio(const QString& name) { return child(&dialog, name); }
};

// The four groups: their code, their display text and their place in the preview.
struct Group {
    int& code;
    QString& text;
    int place;
};
Group group(const QString& name)
{
    if (name == QLatin1String("baud"))
        return {ComBaudrate, BaudText, 0};
    if (name == QLatin1String("data"))
        return {ComDatenbits, DataBitsChar, 1};
    if (name == QLatin1String("parity"))
        return {ComParity, ParityChar, 2};
    return {ComStopbits, StopBitsText, 3};
}

// The built-in parameters with one group's text replaced.
QString builtInWith(const QString& name, const QString& text)
{
    QStringList parts = QStringLiteral("9600,8,N,1").split(u',');
    parts[group(name).place] = text;
    return parts.join(u',');
}

// The window of TerminalSession with both dialogs made and linked as at start-up.
void attachDialogs(TerminalSession& s)
{
    TfrmTerminal* w = s.window.get();
    auto* settings = new TfrmEinstellungen(
        w, {[bar = w->StatusBar1](int panel, const QString& text) { bar->setPanelText(panel, text); }, {}});
    w->setPortDialogs(settings, new TfrmComPort(w));
}

} // namespace

class PortDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init();

    void settings_designState();
    void settings_codeRoundTrip_data();
    void settings_codeRoundTrip();
    void settings_codeWithoutButton_changesNothing_data();
    void settings_codeWithoutButton_changesNothing();
    void settings_closingWithoutOk_data();
    void settings_closingWithoutOk();
    void settings_languageTexts();
    void settings_panelColours();

    void comPort_enablingAndSelection_data();
    void comPort_enablingAndSelection();
    void comPort_languageAndDeviceLabels();

    void mainWindow_settingsOk_closesThePortForGood();
    void mainWindow_lineRunsAtTheChosenParameters_data();
    void mainWindow_lineRunsAtTheChosenParameters();
    void mainWindow_portChoice();
};

void PortDialogsTest::init()
{
    ResetGlobals();
    SerialPortNames.fill(QString());
    for (int n = 1; n <= 4; ++n)
        pointPort(n, QString()); // no test sees the machine's own serial devices
}

void PortDialogsTest::settings_designState()
{
    SettingsDialog s;
    s.dialog.show();
    QCOMPARE(s.dialog.size(), QSize(488, 367));
    for (const char* name : {"rbtn9600", "rbtnNone", "rbtn8", "rbtn1", "rbtnKein"})
        QVERIFY2(s.radio(QLatin1String(name))->isChecked(), name);
    const QStringList disabled{"rbtnMark", "rbtnSpace", "rbtnSW", "rbtnHW", "rbtnHWSW"};
    for (QRadioButton* r : s.dialog.findChildren<QRadioButton*>())
        QVERIFY2(r->isEnabled() != disabled.contains(r->objectName()), qPrintable(r->objectName()));
    QCOMPARE(s.radio("rbtnHWSW")->text(), QStringLiteral("Hardware && Software"));
    QCOMPARE(s.dialog.pnlTerminal->text(), QStringLiteral("9600,8,N,1"));
}

void PortDialogsTest::settings_codeRoundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("text");
    // 14400 (8) has no button; 57600 and 115200 come back as the codes OK gives them.
    const QList<int> rates{110, 300, 600, 1200, 2400, 4800, 9600, 0, 19200, 38400, 0, 57600, 115200};
    for (int k = 0; k < rates.size(); ++k) {
        if (rates[k])
            QTest::addRow("baud %d", k + 1) << "baud" << k + 1 << "rbtn" + QString::number(rates[k])
                                            << QString::number(rates[k]);
    }
    const QStringList parities{"None", "Odd", "Even", "Mark", "Space"};
    for (int k = 0; k < 5; ++k) {
        QTest::addRow("parity %d", k + 1) << "parity" << k + 1 << "rbtn" + parities[k] << parities[k].left(1);
        QTest::addRow("data %d", k + 1) << "data" << k + 1 << "rbtn" + QString::number(k + 4)
                                        << QString::number(k + 4);
    }
    QTest::addRow("stop 1") << "stop" << 1 << "rbtn1" << "1";
    QTest::addRow("stop 2") << "stop" << 2 << "rbtn1_5" << "1.5";
    QTest::addRow("stop 3") << "stop" << 3 << "rbtn2" << "2";
}

void PortDialogsTest::settings_codeRoundTrip()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    QFETCH(QString, button);
    QFETCH(QString, text);
    const QString preview = builtInWith(name, text);

    // Stored code → its button and text → OK → the same code, and the status bar shows it.
    SettingsDialog s;
    group(name).code = code;
    s.dialog.show();
    QVERIFY(s.radio(button)->isChecked());
    QCOMPARE(s.dialog.pnlTerminal->text(), preview);
    s.dialog.BitBtnOK->click();
    QVERIFY(!s.dialog.isVisible());
    QCOMPARE(group(name).code, code);
    QVERIFY(PortSettingsChanged);
    QCOMPARE(s.panels.value(2), preview);
    QCOMPARE(s.panels.value(3), QStringLiteral(" Kein Handshake"));

    // Another stored code → a click on the button → OK → the code.
    if (!s.radio(button)->isEnabled())
        return;
    group(name).code = code == 1 ? 2 : 1;
    s.dialog.show();
    s.radio(button)->click();
    QCOMPARE(s.dialog.pnlTerminal->text(), preview);
    s.dialog.BitBtnOK->click();
    QCOMPARE(group(name).code, code);
    QCOMPARE(group(name).text, text);
}

void PortDialogsTest::settings_codeWithoutButton_changesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("earlier");
    QTest::addColumn<QString>("earlierButton");
    QTest::addColumn<int>("code");
    // 14400 keeps the text the window's start gave it.
    QTest::newRow("baud 8") << "baud" << 9 << "rbtn19200" << 8;
    QTest::newRow("baud 11") << "baud" << 2 << "rbtn300" << 11;
    QTest::newRow("baud 0") << "baud" << 10 << "rbtn38400" << 0;
    QTest::newRow("baud 99") << "baud" << 9 << "rbtn19200" << 99;
    QTest::newRow("parity 6") << "parity" << 3 << "rbtnEven" << 6;
    QTest::newRow("data 0") << "data" << 4 << "rbtn7" << 0;
    QTest::newRow("stop 4") << "stop" << 2 << "rbtn1_5" << 4;
}

void PortDialogsTest::settings_codeWithoutButton_changesNothing()
{
    QFETCH(QString, name);
    QFETCH(int, earlier);
    QFETCH(QString, earlierButton);
    QFETCH(int, code);
    const QString shown = code == 8 ? QStringLiteral("14400") : QStringLiteral("?");

    SettingsDialog s;
    group(name).code = earlier;
    s.dialog.show();
    s.dialog.BitBtnCancel->click();
    group(name).code = code;
    group(name).text = shown;
    s.dialog.show();
    QVERIFY(s.radio(earlierButton)->isChecked());
    QCOMPARE(s.dialog.pnlTerminal->text(), builtInWith(name, shown));
    s.dialog.BitBtnCancel->click();
    QCOMPARE(group(name).code, code);
    QCOMPARE(s.panels.value(2), builtInWith(name, shown));
    // OK stores whatever button is selected.
    s.dialog.show();
    s.dialog.BitBtnOK->click();
    QCOMPARE(group(name).code, earlier);
}

void PortDialogsTest::settings_closingWithoutOk_data()
{
    QTest::addColumn<int>("way");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Esc") << 1;
    QTest::newRow("close box") << 2;
}

void PortDialogsTest::settings_closingWithoutOk()
{
    QFETCH(int, way);
    SettingsDialog s;
    s.dialog.show();
    s.radio("rbtn300")->click();
    s.radio("rbtnOdd")->click();
    QCOMPARE(s.dialog.pnlTerminal->text(), QStringLiteral("300,8,O,1")); // at once, but no code yet
    QCOMPARE(ComBaudrate, 7);
    if (way == 0)
        s.dialog.BitBtnCancel->click();
    else if (way == 1)
        QTest::keyClick(&s.dialog, Qt::Key_Escape);
    else
        s.dialog.close();
    QVERIFY(!s.dialog.isVisible());
    QCOMPARE(ComBaudrate, 7);
    QCOMPARE(ComParity, 1);
    QVERIFY(!PortSettingsChanged);
    QVERIFY(s.radio("rbtn9600")->isChecked());
    QVERIFY(s.radio("rbtnNone")->isChecked());
    QCOMPARE(s.panels.value(2), QStringLiteral("9600,8,N,1"));
}

void PortDialogsTest::settings_languageTexts()
{
    SettingsDialog s;
    Language = 2;
    s.dialog.show();
    const auto texts = [&s] {
        return QStringList{s.dialog.windowTitle(),      s.dialog.gboxBaudrate->title(), s.dialog.gboxParity->title(),
                           s.dialog.gboxDatenbits->title(), s.dialog.gboxProtokoll->title(), s.dialog.rbtnKein->text(),
                           s.dialog.rbtnNone->text(),   s.dialog.BitBtnOK->text(),      s.dialog.BitBtnCancel->text(),
                           s.dialog.pnlHandshake->text()};
    };
    QCOMPARE(texts(), (QStringList{"Settings", "Baudrate", "Parity", "Databits", "Protokol", "None", "Keine / None",
                                   "&OK", "&Cancel", "No Handshake"}));
    s.dialog.close();
    QCOMPARE(s.panels.value(3), QStringLiteral(" No Handshake"));

    Language = 1;
    s.dialog.show();
    QCOMPARE(texts(), (QStringList{"Einstellungen", "Baudrate", "Parität", "Datenbits", "Protokoll", "Kein",
                                   "Keine / None", "&OK", "&Abbrechen", "Kein Handshake"}));
}

void PortDialogsTest::settings_panelColours()
{
    SettingsDialog s;
    PanelStyle seen;
    const PanelStyle chosen{QStringLiteral("Courier New"), 0x0000FF, 10, PanelStyle::Italic, 0xFFFFFF};
    s.colours = [&] {
        seen = ParameterPanelStyle;
        QCOMPARE(HandshakePanelStyle.fontColor, 0x008000u);
        HandshakePanelStyle = ParameterPanelStyle = chosen;
    };
    s.dialog.show();
    s.radio("rbtn300")->click();
    QTest::mouseClick(s.dialog.pnlHandshake, Qt::LeftButton);

    // The colour dialog started from the design look; back in the dialog the stored rate is selected
    // again, and both panels show the looks chosen.
    QCOMPARE(seen, (PanelStyle{QStringLiteral("Arial"), 0x00FF00, 24, PanelStyle::Bold, 0x000000}));
    QVERIFY(s.radio("rbtn9600")->isChecked());
    QCOMPARE(s.dialog.pnlTerminal->text(), QStringLiteral("9600,8,N,1"));
    for (QLabel* shown : {s.dialog.pnlTerminal, s.dialog.pnlHandshake}) {
        QVERIFY(shown->font().italic() && !shown->font().bold());
        QCOMPARE(shown->palette().color(QPalette::WindowText), QColor(Qt::red));
        QCOMPARE(shown->palette().color(QPalette::Window), QColor(Qt::white));
    }
    QCOMPARE(ParameterPanelStyle, chosen);
}

void PortDialogsTest::comPort_enablingAndSelection_data()
{
    QTest::addColumn<QStringList>("portNames");
    QTest::addColumn<int>("comPort");
    QTest::addColumn<QString>("enabled"); // one digit per button
    QTest::addColumn<int>("selected");
    QTest::newRow("COM1 and COM3") << QStringList{"COM1", "COM3"} << 3 << "1010" << 3;
    QTest::newRow("exact names only") << QStringList{"com1", "COM5", "COM2 ", "Com3", "", "COM4"} << 1 << "0001" << 1;
    QTest::newRow("eighth slot") << QStringList{"", "", "", "", "", "", "", "COM2"} << 2 << "0100" << 2;
    QTest::newRow("ComPort 7 is COM4") << QStringList{"COM4"} << 7 << "0001" << 4;
    QTest::newRow("no port at all") << QStringList{} << 2 << "0000" << 2;
}

void PortDialogsTest::comPort_enablingAndSelection()
{
    QFETCH(QStringList, portNames);
    QFETCH(int, comPort);
    QFETCH(QString, enabled);
    QFETCH(int, selected);
    for (int k = 0; k < portNames.size(); ++k)
        SerialPortNames[size_t(k)] = portNames[k];
    ComPort = comPort;
    TfrmComPort dialog;
    SerialPortNames.fill(QStringLiteral("COM2")); // settled at creation: not seen
    dialog.show();
    QString shown;
    for (QRadioButton* r : {dialog.rbtnCom1, dialog.rbtnCom2, dialog.rbtnCom3, dialog.rbtnCom4})
        shown += r->isEnabled() ? u'1' : u'0';
    QCOMPARE(shown, enabled);
    QVERIFY(child(&dialog, QStringLiteral("rbtnCom%1").arg(selected))->isChecked());
    dialog.BitBtnOK->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ComPort, selected);
    QVERIFY(PortSettingsChanged);
}

void PortDialogsTest::comPort_languageAndDeviceLabels()
{
    PtyPair pty;
    QTemporaryDir dir;
    const QString longName = dir.filePath(QString(80, u'p'));
    QVERIFY(QFile::link(pty.slavePath(), longName));
    pointPort(1, pty.slavePath());
    pointPort(4, longName);
    TfrmComPort dialog;
    Language = 2;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Com-Port"));
    QCOMPARE(dialog.gboxComPort->title(), QStringLiteral("Connection"));
    QCOMPARE(dialog.rbtnCom1->text(), QStringLiteral("Com1 [3F8/IRQ4]"));
    QCOMPARE(dialog.lblCom1->text(), pty.slavePath() + QStringLiteral(" · pseudo-terminal"));
    QCOMPARE(dialog.lblCom2->text(), QStringLiteral("no device assigned"));
    // A long name is cut in its middle, so that what the device is stays in view.
    QCOMPARE(dialog.lblCom4->toolTip(), longName + QStringLiteral(" · pseudo-terminal"));
    QVERIFY(dialog.lblCom4->text().contains(u'…') && dialog.lblCom4->text().endsWith(QStringLiteral("terminal")));
    dialog.close();
    Language = 1;
    dialog.show();
    QCOMPARE(dialog.gboxComPort->title(), QStringLiteral("Anschluß"));
    QCOMPARE(dialog.lblCom1->text(), pty.slavePath() + QStringLiteral(" · Pseudo-Terminal"));
}

void PortDialogsTest::mainWindow_settingsOk_closesThePortForGood()
{
    TerminalSession s;
    s.start();
    attachDialogs(s);
    QVERIFY(s.openPort());

    // Without an OK in this run, Cancel leaves the open port alone. The toolbar button and the
    // terminal's pop-up item run the menu's command.
    QString opened;
    answer({"rbtn300"}, QStringLiteral("BitBtnCancel"), [&](QWidget* dialog) { opened = dialog->objectName(); });
    s.action("tbnEinstellungen")->trigger();
    QCOMPARE(opened, QStringLiteral("frmEinstellungen"));
    QVERIFY(PortOpen);

    answer({"rbtn19200", "rbtnEven"}, QStringLiteral("BitBtnOK"));
    s.action("popEinstellungen")->trigger();
    QVERIFY(!PortOpen);
    QVERIFY(s.action("tbnCommOpen")->isEnabled());
    QVERIFY(!s.action("tbnCommClose")->isEnabled());
    QCOMPARE(s.window->StatusBar1->panelText(2), QStringLiteral("19200,8,E,1"));
    QCOMPARE(s.window->StatusBar1->panelText(3), QStringLiteral(" Kein Handshake"));
    QCOMPARE(ComBaudrate, 9);
    QCOMPARE(ComParity, 3);
    QCOMPARE(s.window->SerComm1->Baudrate(), br19200);

    // After that OK every closing hands the codes over again: Cancel, and the port dialog's close box.
    QVERIFY(s.openPort());
    answer({}, QStringLiteral("BitBtnCancel"));
    s.action("mnuEinstellungen")->trigger();
    QVERIFY(!PortOpen);
    QVERIFY(s.openPort());
    answer({}, QString());
    s.action("mnuComPort")->trigger();
    QVERIFY(!PortOpen);
}

void PortDialogsTest::mainWindow_lineRunsAtTheChosenParameters_data()
{
    QTest::addColumn<QStringList>("choice"); // baud, parity, data bits, stop bits
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("flags"); // CSIZE, PARENB, PARODD and CSTOPB
    QTest::newRow("19200,7,E,2") << QStringList{"rbtn19200", "rbtnEven", "rbtn7", "rbtn2"} << int(B19200)
                                 << int(CS7 | PARENB | CSTOPB);
    QTest::newRow("57600,8,N,1") << QStringList{"rbtn57600", "rbtnNone", "rbtn8", "rbtn1"} << int(B57600) << int(CS8);
    QTest::newRow("115200,6,O,1") << QStringList{"rbtn115200", "rbtnOdd", "rbtn6", "rbtn1"} << int(B115200)
                                  << int(CS6 | PARENB | PARODD);
}

void PortDialogsTest::mainWindow_lineRunsAtTheChosenParameters()
{
    QFETCH(QStringList, choice);
    QFETCH(int, speed);
    QFETCH(int, flags);
    TerminalSession s;
    s.start();
    attachDialogs(s);
    answer(choice, QStringLiteral("BitBtnOK"));
    s.action("mnuEinstellungen")->trigger();

    // The choice comes back as the same choice at the next opening.
    QStringList shown;
    answer({}, QStringLiteral("BitBtnCancel"), [&](QWidget* dialog) {
        for (QRadioButton* r : dialog->findChildren<QRadioButton*>())
            if (r->isChecked() && r->objectName() != QLatin1String("rbtnKein"))
                shown.append(r->objectName());
    });
    s.action("mnuEinstellungen")->trigger();
    QCOMPARE(shown, choice);

    std::vector<LineProbe> set;
    captureLineSettings(&set);
    const auto stop = qScopeGuard([] { stopCapturing(); });
    QVERIFY(s.openPort());
    QCOMPARE(set.size(), size_t(1));
    QCOMPARE(set[0].cflag & (CBAUD | CSIZE | PARENB | PARODD | CSTOPB), unsigned(speed | flags));

    // Read back from the line: a pseudo-terminal keeps the rate, the stop bits and the parity's sense,
    // but always carries 8 data bits without a parity bit, whatever it is given.
    termios t{};
    QCOMPARE(::tcgetattr(s.pty.slave(), &t), 0);
    QCOMPARE(int(cfgetospeed(&t)), speed);
    QCOMPARE(int(cfgetispeed(&t)), speed);
    QCOMPARE(int(t.c_cflag & (PARODD | CSTOPB)), flags & (PARODD | CSTOPB));
    QCOMPARE(int(t.c_cflag & (CSIZE | PARENB)), int(CS8));
}

void PortDialogsTest::mainWindow_portChoice()
{
    PtyPair other;
    pointPort(3, other.slavePath());
    const auto unmap = qScopeGuard([] { pointPort(3, QString()); });
    TerminalSession s;
    s.start();
    attachDialogs(s);
    QVERIFY(s.openPort());

    // The close box without an earlier OK changes nothing but rewrites panel 1.
    s.window->StatusBar1->setPanelText(1, QStringLiteral("x"));
    answer({}, QString());
    s.action("mnuComPort")->trigger();
    QVERIFY(PortOpen);
    QCOMPARE(s.window->StatusBar1->panelText(1), QStringLiteral("Com 1"));

    bool com2Enabled = true;
    answer({"rbtnCom3"}, QStringLiteral("BitBtnOK"),
           [&](QWidget* dialog) { com2Enabled = child(dialog, QStringLiteral("rbtnCom2"))->isEnabled(); });
    s.action("mnuComPort")->trigger();
    QVERIFY(!com2Enabled);
    QCOMPARE(ComPort, 3);
    QVERIFY(!PortOpen);
    QCOMPARE(s.window->StatusBar1->panelText(1), QStringLiteral("Com 3"));

    // The next open uses the other device.
    QVERIFY(s.openPort());
    other.write("A");
    QTRY_VERIFY(s.window->MemoT->toPlainText().contains(u'A'));
}

QTEST_MAIN(PortDialogsTest)
#include "tst_portdialogs.moc"
