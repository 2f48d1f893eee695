#include "ProcessRun.h"

#include <QProcess>
#include <QStandardPaths>

ProcessRun runProgram(const QString& program, const QStringList& args, const QProcessEnvironment& env, int timeoutMs)
{
    ProcessRun run;
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    run.started = process.waitForStarted(timeoutMs);
    if (!run.started)
        return run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    run.output = process.readAll();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

QString findTool(const QString& name) { return QStandardPaths::findExecutable(name); }
