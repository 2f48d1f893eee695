#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// One finished run of an outside program, with its output (standard output and error together).
struct ProcessRun {
    bool started = false;
    int exitCode = -1;
    QByteArray output;

    bool ok() const { return started && exitCode == 0; }
};

ProcessRun runProgram(const QString& program, const QStringList& args,
                      const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                      int timeoutMs = 120000);

// The path of a program on PATH, empty when it is missing.
QString findTool(const QString& name);
