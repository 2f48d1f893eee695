// Start-up time from process start to the first activation of the main window (without the splash),
// and the resident memory at that moment. Prints figures; passes or fails nothing.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = 15;
    std::vector<double> times;
    std::vector<long> rss;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", dir.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("TALOMA_NO_SPLASH", "1");
        env.insert("TALOMA_STARTUP_PROBE", "1");
        // Every second run starts with settings already written, as every start but the first does.
        QProcess program;
        program.setProcessEnvironment(env);
        if (i % 2 == 1) {
            QProcess first;
            first.setProcessEnvironment(env);
            first.start(TALOMA_TERMINAL, {});
            first.waitForFinished(20000);
        }
        QElapsedTimer t;
        t.start();
        program.start(TALOMA_TERMINAL, {});
        QByteArray out;
        while (!out.contains('\n') && program.waitForReadyRead(20000))
            out += program.readAllStandardOutput();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        program.waitForFinished(20000);
        const int at = out.indexOf("rss_kb=");
        if (at < 0) {
            std::printf("run %d: no report from the program\n", i);
            continue;
        }
        times.push_back(ms);
        rss.push_back(out.mid(at + 7).trimmed().toLong());
    }
    if (times.empty())
        return 1;
    std::sort(times.begin(), times.end());
    std::sort(rss.begin(), rss.end());
    std::printf("start-up to first activation over %zu runs: median %.1f ms (min %.1f, max %.1f)\n", times.size(),
                times[times.size() / 2], times.front(), times.back());
    std::printf("resident memory at first activation: median %.1f MB (max %.1f MB)\n", rss[rss.size() / 2] / 1024.0,
                rss.back() / 1024.0);
    std::printf("targets: median under 300 ms, under 80 MB\n");
    return 0;
}
