#pragma once

#include <QProcess>
#include <QString>

// The controller simulator as a child process for a whole session; it ends when the test lets go of
// its input.
class SimulatorProcess {
public:
    SimulatorProcess() = default;
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;
    ~SimulatorProcess()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(3000))
            process.kill();
    }

    // Starts it; returns the path of its terminal side, or "" when it did not start.
    QString start()
    {
        process.start(QStringLiteral(BASIC52_SIM), {QStringLiteral("--exit-on-eof")});
        if (!process.waitForStarted() || !process.waitForReadyRead(5000))
            return {};
        while (!process.canReadLine() && process.waitForReadyRead(1000)) {
        }
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }

    QProcess process;
};
