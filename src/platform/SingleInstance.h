#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;

// Keeps one running program per user. The first instance holds a lock file in the user's runtime
// folder ($XDG_RUNTIME_DIR, else /tmp with the user id in the name) and listens on a local socket
// beside it; a later instance finds the lock taken, asks the first one over the socket to show
// itself, and is expected to end. A lock left behind by a crashed instance does not count.
class SingleInstance final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    // name tells programs (and tests) apart; the empty name means the program's own.
    explicit SingleInstance(const QString& name = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True for the first instance, which from now on listens for later ones. False for a later
    // instance, after it has delivered its request to show the first (waiting at most about one
    // second for that); the caller then ends with exit code 0. Asking again gives the same answer.
    bool acquire();

    QString lockFilePath() const { return m_lockPath; }
    QString serverPath() const { return m_serverPath; }

signals:
    // A later instance asked this one to come to the front.
    void activationRequested();

private:
    void listen();
    void onNewConnection();
    bool askFirstInstance();

    QString m_lockPath;
    QString m_serverPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    int m_result = -1; // -1 not asked yet, 0 later instance, 1 first instance
};
