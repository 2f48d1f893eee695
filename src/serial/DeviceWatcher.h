#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QSocketNotifier;

// Waits for a serial device to come back after it went away (an adapter pulled out and plugged in
// again). The device counts as back when its path appears again, or, for a USB adapter, when a
// device with the same maker, product and serial number appears under another name in the device
// folder (the system may number the adapter anew).
//
// The kernel tells of new device nodes through inotify; the watcher sleeps in the event loop until
// it does, and costs nothing while it waits. It goes on watching after each report until stop(): a
// node that appeared may not be usable at once (its permissions are set a moment later, which is
// reported again).
class DeviceWatcher final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DeviceWatcher)

public:
    explicit DeviceWatcher(QObject* parent = nullptr);
    ~DeviceWatcher() override;

    // Where the machine's tty devices are described and where their nodes are; for tests.
    void setSystemFolders(const QString& sysClassTty, const QString& devDir);

    // The identity of a USB serial adapter behind a device path ("vendor:product:serial"), empty for
    // other devices or one without a serial number. Read while the device is there.
    QString usbIdentity(const QString& devicePath) const;

    // Starts watching for `devicePath`, or a device with `identity` when it is not empty. False when
    // the kernel's notifications cannot be had.
    bool watch(const QString& devicePath, const QString& identity);
    void stop();
    bool watching() const { return m_fd >= 0; }

signals:
    // The device may be back, at `path`.
    void appeared(const QString& path);

private:
    void readEvents();
    // The path that stands for the lost device, if the node `name` appeared in folder `dir`.
    QString candidate(const QString& dir, const QString& name) const;

    QString m_sysClassTty = QStringLiteral("/sys/class/tty");
    QString m_devDir = QStringLiteral("/dev");
    QString m_path;
    QString m_identity;
    int m_fd = -1;
    // Watch descriptor by folder: the lost path's own folder and the device folder.
    QList<std::pair<int, QString>> m_watches;
    QSocketNotifier* m_notifier = nullptr;
};
