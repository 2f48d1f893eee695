// Loading and saving a 2 MB program file through the editor's file commands. Prints figures only.

#include "settings/GlobVar_Unit.h"
#include "app/TfrmTerminal.h"
#include "platform/Prompts.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SettingsStore::resetForTests(dir.filePath("settings.reg"));
    GlobVar::ResetGlobals();

    // About 2 MB of BASIC lines with some bytes above 127.
    QByteArray program;
    for (int n = 10; program.size() < 2 * 1024 * 1024; n += 10)
        program += QByteArray::number(n) + " PRINT \"Z\xe4hler \", A*" + QByteArray::number(n % 97) +
                   " : IF A>100 THEN GOTO " + QByteArray::number(n + 10) + "\r\n";
    const QString path = dir.filePath("big.bas");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(program);
    }

    TfrmTerminal window;
    std::vector<double> loads, saves;
    for (int i = 0; i < 7; ++i) {
        GlobVar::CurrentFileName = path;
        QElapsedTimer t;
        t.start();
        window.LoadEditorFile();
        QCoreApplication::processEvents();
        loads.push_back(double(t.nsecsElapsed()) / 1e6);

        window.RTF->appendPlainText(QStringLiteral("1 REM"));
        t.restart();
        window.mnuSaveClick();
        saves.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("2 MB program file (%lld bytes, %d lines): load median %.1f ms, save median %.1f ms\n",
                static_cast<long long>(program.size()), window.RTF->blockCount(), median(loads), median(saves));
    std::printf("targets: under 100 ms each\n");
    return 0;
}
