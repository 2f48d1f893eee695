#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal standing in for a serial device: the port opens the slave side through its
// path, the test holds the master side and plays the far end of the line.
class PtyPair final {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int master() const { return m_master; }
    // The test's own descriptor of the slave side, opened before the port so that the port's
    // exclusive mode does not keep the test from looking at the line settings.
    int slave() const { return m_slave; }

    // The far end goes away, as an unplugged adapter does.
    void closeMaster();

    void write(const QByteArray& bytes);
    // Reads until at least `count` bytes came or timeoutMs passed.
    QByteArray read(int count, int timeoutMs);
    // Reads until nothing more comes for quietMs.
    QByteArray drain(int quietMs);

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

// Points COMn at a path (an empty path unmaps it) and rebuilds the port map without the machine's
// own devices, so no test can reach a real serial port.
void pointPort(int number, const QString& path);
