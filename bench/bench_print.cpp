// Printing a 10,000-line program into a PDF file through the editor's print command, from the pane's
// lines to the finished file. Prints figures only; given a path, it leaves a copy of the file there.

#include "editor/EditorPrinting.h"
#include "editor/ProgramListing.h"
#include "platform/Prompts.h"
#include "settings/GlobVar_Unit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The user chooses a PDF file and every page; nothing else is asked.
class PrintToFile final : public Prompts {
public:
    explicit PrintToFile(QString path) : m_path(std::move(path)) {}
    void message(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void warning(const QString&, const QString& text) override { message(text); }
    Answer confirm(const QString&) override { return Answer::Cancel; }
    QString openFile(const FileRequest&) override { return {}; }
    QString saveFile(const FileRequest&) override { return {}; }
    bool chooseFont(QFont&, QColor&) override { return false; }
    QColor chooseColor(const QColor&) override { return {}; }
    QString chooseFolder(const QString&, const QString&) override { return {}; }
    bool choosePrint(QPrinter& printer, const PrintRequest&, PrintChoice& choice) override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_path);
        choice = {};
        return true;
    }
    bool setUpPrinter(QPrinter&) override { return false; }
    void previewPrint(QPrinter&, const QString&, const std::function<void(QPrinter&)>&) override {}

private:
    QString m_path;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    GlobVar::ResetGlobals();
    GlobVar::CurrentFileName = dir.filePath("big.bas");
    const QString pdf = dir.filePath("big.pdf");
    PrintToFile prompts(pdf);
    Prompts::install(&prompts);

    QStringList program;
    for (int n = 1; n <= 10000; ++n)
        program.append(QStringLiteral("%1 PRINT \"Zeile \", A*%2 : IF A>100 THEN GOTO %3")
                           .arg(n * 10)
                           .arg(n % 97)
                           .arg(n * 10 + 10));
    QPlainTextEdit pane;
    pane.setPlainText(program.join(QLatin1Char('\n')));
    EditorPrinting printing(&pane);

    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        printing.print();
        runs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    Prompts::install(nullptr);
    if (argc > 1) // a copy to look at
        QFile::copy(pdf, QString::fromLocal8Bit(argv[1]));
    std::printf("10,000-line program printed to PDF (%d pages, %lld bytes): median %.0f ms, first %.0f ms\n",
                ProgramListing(program, {}).pageCount(), static_cast<long long>(QFileInfo(pdf).size()), median(runs),
                runs.front());
    std::printf("target: under 2000 ms\n");
    return 0;
}
