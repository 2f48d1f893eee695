// Loading and writing large settings files: one key with many values, as a file grown by hand or by
// another program could hold. Prints figures only.

#include "settings/SettingsStore.h"
#include "settings/TRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

namespace {

const QString kKey = QStringLiteral("\\Software\\Orvik\\Taloma-Terminal\\2.0");

// Processor time of this thread, which other programs on a busy machine disturb less than wall time.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// A file of about `bytes` bytes whose values all sit in the program's key.
qsizetype writeFile(const QString& path, qsizetype bytes)
{
    QByteArray text("Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_CURRENT_USER\\Software\\Orvik\\Taloma-Terminal\\2.0]\r\n");
    qsizetype values = 0;
    while (text.size() < bytes - 64) {
        text += "\"Wert" + QByteArray::number(values) + "\"=\"/home/anna/basic/programm" +
                QByteArray::number(values % 1000) + ".bas\"\r\n";
        ++values;
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return -1;
    return values;
}

void measure(const QString& path, qsizetype bytes)
{
    const qsizetype values = writeFile(path, bytes);
    if (values < 0) {
        std::printf("cannot write %s\n", qPrintable(path));
        return;
    }
    SettingsStore::resetForTests(path);
    QElapsedTimer timer;
    timer.start();
    double cpu = cpuMs();
    TRegistry reg;
    const bool opened = reg.OpenKey(kKey, false);
    const double load = double(timer.nsecsElapsed()) / 1e6;
    const double loadCpu = cpuMs() - cpu;

    timer.restart();
    cpu = cpuMs();
    reg.WriteInteger(QStringLiteral("ComBaudrate"), 3);
    reg.WriteString(QStringLiteral("SourceCodePfad"), QStringLiteral("/home/anna"));
    reg.CloseKey();
    const double write = double(timer.nsecsElapsed()) / 1e6;
    const double writeCpu = cpuMs() - cpu;
    std::printf("%6.1f MB, %7lld values in one key: load %7.1f ms (cpu %7.1f ms), "
                "change two values and close %7.1f ms (cpu %7.1f ms)%s\n",
                double(QFile(path).size()) / (1024.0 * 1024.0), static_cast<long long>(values), load, loadCpu,
                write, writeCpu, opened ? "" : " (key not found!)");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("HKEY_CURRENT_USER.reg"));
    measure(path, 5 * 1024 * 1024);
    measure(path, 16 * 1024 * 1024 - 1024);
    SettingsStore::resetForTests();
    return 0;
}
