#include "Startup.h"

#include "Application.h"
#include "QtPrompts.h"
#include "sprache.h"
#include "StatusBar.h"
#include "TfrmHallo.h"
#include "TfrmTerminal.h"

#include "dialogs/AutoNum_Unit.h"
#include "dialogs/Info_Unit.h"
#include "dialogs/ReNum_Unit.h"
#include "dialogs/TfrmComPort.h"
#include "dialogs/TfrmEinstellungen.h"
#include "dialogs/TfrmEinstFarben.h"
#include "dialogs/TfrmEnvironment.h"
#include "dialogs/TfrmTab.h"
#include "dialogs/Update_Unit.h"
#include "platform/HandOver.h"
#include "platform/Icons.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "settings/GlobVar_Unit.h"
#include "terminal/TfrmFTaste.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTimer>

#include <cstdio>
#include <memory>

Q_LOGGING_CATEGORY(lcApp, "taloma.app", QtWarningMsg)

Forms& forms()
{
    static Forms f;
    return f;
}

void CreateForms(const QStringList& arguments)
{
    Forms& f = forms();
    f.frmTerminal = new TfrmTerminal(arguments);
    f.frmUpdate = new TfrmUpdate(f.frmTerminal);
    f.frmTerminal->setUpdateDialog(f.frmUpdate);

    switch (GlobVar::StartWindowState) {
    case GlobVar::WindowState::Maximized:
        f.frmTerminal->setWindowState(Qt::WindowMaximized);
        break;
    case GlobVar::WindowState::Minimized:
        f.frmTerminal->setWindowState(Qt::WindowMinimized);
        break;
    case GlobVar::WindowState::Normal:
        break;
    }

    f.frmEnvironment = new TfrmEnvironment(f.frmTerminal, {&sprache::ApplyLanguage});
    // The line-parameter dialog writes the status bar's parameter panels and shows the panel colour
    // dialog, which is made after it.
    f.frmEinstellungen = new TfrmEinstellungen(
        f.frmTerminal,
        {[bar = f.frmTerminal->StatusBar1](int panel, const QString& text) { bar->setPanelText(panel, text); },
         [] {
             if (TfrmEinstFarben* colours = forms().frmEinstFarben)
                 colours->exec();
         }});
    f.frmEinstFarben = new TfrmEinstFarben(f.frmTerminal);
    f.frmComPort = new TfrmComPort(f.frmTerminal);
    f.frmInfo = new TfrmInfo(f.frmTerminal, &sprache::ApplyLanguage);
    f.frmAutoNum = new TfrmAutoNum(f.frmTerminal);
    f.frmTab = new TfrmTab(f.frmTerminal);
    f.frmReNum = new TfrmReNum(f.frmTerminal);
    TfrmTerminal* main = f.frmTerminal;
    f.frmFTaste = new TfrmFTaste(main, {main->mnuInhalt, main->mnuBasicReferenz, main->mnuFTasten, main->SerComm1});
    f.frmTerminal->setInfoDialog(f.frmInfo);
    f.frmTerminal->setFunctionKeyWindow(f.frmFTaste);
    f.frmTerminal->setLineToolDialogs(f.frmReNum, f.frmAutoNum);
    f.frmTerminal->setEnvironmentDialog(f.frmEnvironment);
    f.frmTerminal->setPortDialogs(f.frmEinstellungen, f.frmComPort);
    f.frmTerminal->setTabDialog(f.frmTab);
    for (QWidget* window : std::initializer_list<QWidget*>{f.frmUpdate, f.frmEnvironment, f.frmEinstellungen,
                                                           f.frmEinstFarben, f.frmComPort, f.frmInfo, f.frmAutoNum,
                                                           f.frmTab, f.frmReNum, f.frmFTaste})
        f.frmTerminal->watchOwnWindow(window);
    // The language routine walks the windows in the order they were made.
    for (QWidget* window : std::initializer_list<QWidget*>{f.frmUpdate, f.frmEnvironment, f.frmEinstellungen,
                                                           f.frmEinstFarben, f.frmComPort, f.frmInfo, f.frmTab,
                                                           f.frmFTaste})
        sprache::RegisterWindow(window);
}

void DestroyForms()
{
    Forms& f = forms();
    // The dialogs are children of the main window and go with it.
    delete f.frmTerminal;
    f = Forms{};
}

namespace {

// For the start-up benchmark: reports the resident memory at the first activation and ends.
void reportStartupAndQuit()
{
    long rssKb = -1;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                rssKb = line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    std::printf("first-activation rss_kb=%ld\n", rssKb);
    std::fflush(stdout);
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

} // namespace

int RunMainWindow(TfrmTerminal* main, QWidget* splash, int splashMs)
{
    // quit() asked for before the event loop runs is forgotten when it starts, so a window closed
    // during the splash would leave an invisible program behind; the close is remembered instead.
    bool closed = false;
    const QMetaObject::Connection onClose = QObject::connect(main, &TfrmTerminal::closed, qApp, [&closed] {
        closed = true;
        QCoreApplication::quit();
    });
    main->show();
    QTimer::singleShot(0, main, &TfrmTerminal::offerRecovery);
    if (splash) {
        splash->raise();
        QElapsedTimer shown;
        shown.start();
        while (!closed && shown.elapsed() < splashMs)
            Delay(int(qMin<qint64>(50, splashMs - shown.elapsed())));
        splash->hide();
    }
    int code = 0;
    if (!closed) {
        qCInfo(lcApp) << "start-up complete";
        code = Application::exec();
    }
    QObject::disconnect(onClose);
    return code;
}

int RunProgram(int argc, char** argv)
{
    Application app(argc, argv);
    Application::setApplicationName(QStringLiteral("Taloma-Terminal"));
    Application::setQuitOnLastWindowClosed(false);
    Application::setWindowIcon(Icons::application()); // the splash comes before the main window

    SingleInstance guard;
    if (!guard.acquire())
        return 0; // the first instance has been asked to come to the front

    QtPrompts prompts;
    Prompts::install(&prompts);

    const bool splashWanted = !qEnvironmentVariableIsSet("TALOMA_NO_SPLASH");
    std::unique_ptr<TfrmHallo> splash;
    if (splashWanted) {
        splash = std::make_unique<TfrmHallo>();
        splash->show();
        splash->repaint();
        QCoreApplication::processEvents();
    }

    GlobVar::HelpFile = QStringLiteral("Taloma-Terminal.html");

    QStringList arguments = Application::arguments();
    arguments.removeFirst();
    try {
        CreateForms(arguments.mid(0, 1));
    } catch (const std::exception& e) {
        splash.reset();
        showError(e);
        Prompts::install(nullptr);
        return 1;
    }
    TfrmTerminal* main = forms().frmTerminal;
    QObject::connect(&guard, &SingleInstance::activationRequested, main, [main] {
        qCInfo(lcApp) << "a second start asked for the window";
        main->showNormal();
        main->raise();
        main->activateWindow();
    });
    if (qEnvironmentVariableIsSet("TALOMA_STARTUP_PROBE"))
        QObject::connect(main, &TfrmTerminal::firstActivation, &app, reportStartupAndQuit);

    // Ended from outside, the program keeps the editor's text and the settings as at a normal exit.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, main, &TfrmTerminal::terminateBySignal);
    const int code = RunMainWindow(main, splash.get(), 3000);
    splash.reset();
    DestroyForms();
    Prompts::install(nullptr);
    return code;
}
