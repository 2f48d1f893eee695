#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT (a logout, a shutdown, Ctrl+C in the terminal that started the program)
// would end the program on the spot, with unsaved work and the run's settings lost. While an object
// of this class lives, those signals are caught instead and reported through received() on the
// thread that created it, from its event loop: the handler only writes the signal's number into a
// pipe, which the event loop watches. One object at a time; the old handlers come back when it goes.
class TerminationSignals final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
