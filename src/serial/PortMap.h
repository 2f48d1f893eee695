#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Which Linux device each COMn name stands for.
//
// At start the machine's serial devices are found under /sys/class/tty and numbered COM1, COM2 ...
// in this fixed order:
//   1. USB serial adapters ttyUSB0, ttyUSB1, ... (numeric order),
//   2. USB modem-class devices ttyACM0, ttyACM1, ...,
//   3. other serial ports backed by hardware (ttyAMA0, ttymxc0, ...), by name and number,
//   4. the built-in UARTs ttyS0, ttyS1, ... but only those with a UART behind them.
// Virtual terminals, pseudo-terminals and ttyS ports without a UART are left out.
//
// Any port can be pointed elsewhere, first by the file ports.conf in the program's config folder
// ($XDG_CONFIG_HOME/Taloma-Terminal, by default ~/.config/Taloma-Terminal), then by the environment
// variables TALOMA_COM1 ... TALOMA_COM4, which win. The file has one "COMn=path" per line; blank
// lines and lines starting with # are skipped; an empty path takes the port away. A device given to
// one port by an override is no longer offered under the number discovery gave it. A path that cannot
// name a device (control characters such as a tab, more than MaxPathLength characters) is ignored and
// reported with the lines that were not understood.
class PortMap final {
public:
    struct Entry {
        int number = 0; // n of COMn
        QString path;
    };

    // The map the program uses, loaded from the default places on first use.
    static PortMap& global();

    // Rebuilds from the devices under sysClassTty (named as nodes of devDir), the config file and the
    // environment. An empty configFile reads none.
    void Load(const QString& sysClassTty, const QString& devDir, const QString& configFile);
    // Rebuilds from /sys/class/tty, /dev and DefaultConfigFile().
    void Reload();

    // The path of "COMn" (any letter case), empty when the name is unmapped or no COM name.
    QString PathFor(const QString& name) const;
    // Every mapped port, by number.
    QList<Entry> Entries() const { return m_entries; }
    // Entries that were ignored: lines of the config file as "ports.conf:<line>: <text>", variables of
    // the environment as "TALOMA_COMn: <text>".
    QStringList Problems() const { return m_problems; }
    // Tells the user about the ignored entries in one warning, the first time only.
    void ReportProblemsOnce();

    static constexpr qsizetype MaxPathLength = 16383;

    // The serial devices of the machine in the order described above, as device paths.
    static QStringList DiscoverDevices(const QString& sysClassTty, const QString& devDir);
    static QString DefaultConfigFile();
    // n of a "COMn" name, or 0.
    static int PortNumber(const QString& name);

private:
    QList<Entry> m_entries;
    QStringList m_problems;
    bool m_reported = false;
};
