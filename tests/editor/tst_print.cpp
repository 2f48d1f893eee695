// The print commands on a bare editor pane with scripted dialogs: what the print dialog offers, which
// pages and lines reach the printer (read back from real PDF files with pdftotext), failures of the
// printing system, and the document left as it was.

#include "editor/EditorDocument.h"
#include "editor/EditorPrinting.h"
#include "platform/Errors.h"
#include "settings/GlobVar_Unit.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <array>
#include <memory>

using namespace GlobVar;
using Range = Prompts::PrintChoice::Range;

namespace {

QStringList programOf(int lines)
{
    QStringList program;
    for (int i = 1; i <= lines; ++i)
        program.append(QStringLiteral("%1 PRINT %2").arg(i * 10).arg(i));
    return program;
}

Prompts::PrintChoice pages(int from, int to)
{
    QPageRanges ranges;
    ranges.addRange(from, to);
    return {Range::Pages, ranges};
}

// The non-empty lines of a page, each run of spaces read as one: pdftotext guesses the spaces from where
// the words stand (the header's exact text is the listing's own test's).
QStringList linesOf(const QString& page)
{
    QStringList lines;
    for (const QString& line : page.split('\n'))
        if (!line.trimmed().isEmpty())
            lines.append(line.simplified());
    return lines;
}

// A printer whose job breaks down when its `failingPage`th page is to start.
class FailingPrinter final : public QPrinter {
public:
    explicit FailingPrinter(int failingPage) : QPrinter(QPrinter::HighResolution), m_failingPage(failingPage) {}
    bool newPage() override { return ++m_page < m_failingPage && QPrinter::newPage(); }

private:
    int m_failingPage;
    int m_page = 1;
};

} // namespace

class PrintTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyEditor_asksAndPrintsNothing();
    void listing_headersAndLinesInOrderOnEveryPage_data();
    void listing_headersAndLinesInOrderOnEveryPage();
    void dialog_offersTheRealPageCountAndSelectionOnlyWithOne_data();
    void dialog_offersTheRealPageCountAndSelectionOnlyWithOne();
    void chosenPages_onlyThoseArePrinted();
    void selection_printsTheLinesItTouches();
    void failedJob_reportedNoFileLeftDocumentUnchanged_data();
    void failedJob_reportedNoFileLeftDocumentUnchanged();
    void richTextDocument_isSavedAsRichTextAfterPrinting();
    void preview_showsTheWholeListingAndPrintsItsOwnRange();

private:
    void setProgram(int lines) { m_pane->setPlainText(programOf(lines).join('\n')); }
    // The text pdftotext reads from the printed file, one entry per page.
    QStringList pdfPages() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_pdf;
    std::unique_ptr<ScriptedPrompts> m_prompts;
    std::unique_ptr<QPlainTextEdit> m_pane;
    std::array<QAction, 7> m_actions;
    std::unique_ptr<EditorDocument> m_document;
    std::unique_ptr<EditorPrinting> m_printing;
};

void PrintTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pdf = m_dir->filePath("listing.pdf");
    ResetGlobals();
    Language = 1;
    m_prompts = std::make_unique<ScriptedPrompts>();
    // The user prints into a PDF file, as the print dialog offers on every machine.
    m_prompts->onPrinter = [this](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdf);
    };
    m_pane = std::make_unique<QPlainTextEdit>();
    auto& a = m_actions;
    m_document = std::make_unique<EditorDocument>(
        m_pane.get(), EditorDocument::Actions{&a[0], &a[1], &a[2], &a[3], &a[4], &a[5], &a[6]});
    connect(m_pane.get(), &QPlainTextEdit::textChanged, m_document.get(),
            qOverload<>(&EditorDocument::textChanged));
    m_document->setFileTexts();
    CurrentFileName = DefaultFileName;
    m_printing = std::make_unique<EditorPrinting>(m_pane.get());
}

void PrintTest::cleanup()
{
    m_printing.reset();
    m_document.reset();
    m_pane.reset();
    m_prompts.reset();
}

QStringList PrintTest::pdfPages() const
{
    QProcess reader;
    reader.start("pdftotext", {"-layout", m_pdf, "-"});
    if (!reader.waitForFinished(30000) || reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0) {
        qWarning("pdftotext (poppler-utils, which ./dev.sh test installs) could not read %s: %s", qPrintable(m_pdf),
                 reader.readAllStandardError().constData());
        return {};
    }
    QStringList pages = QString::fromUtf8(reader.readAllStandardOutput()).split('\f');
    if (pages.last().trimmed().isEmpty())
        pages.removeLast(); // behind the last page's form feed
    return pages;
}

void PrintTest::emptyEditor_asksAndPrintsNothing()
{
    m_prompts->printChoices.enqueue({});
    m_printing->print();
    m_printing->preview();
    QVERIFY(m_prompts->shown.isEmpty());
    QVERIFY(!QFile::exists(m_pdf));
}

void PrintTest::listing_headersAndLinesInOrderOnEveryPage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<bool>("named");
    QTest::addColumn<QString>("name");
    QTest::newRow("named") << 1 << true << "";
    QTest::newRow("unnamed, German") << 1 << false << "ohne Namen";
    QTest::newRow("unnamed, English") << 2 << false << "untitled";
}

void PrintTest::listing_headersAndLinesInOrderOnEveryPage()
{
    QFETCH(int, language);
    QFETCH(bool, named);
    QFETCH(QString, name);
    Language = language;
    m_document->setFileTexts();
    if (named)
        name = m_dir->filePath("prog.bas");
    CurrentFileName = named ? name : DefaultFileName;
    setProgram(120);
    m_prompts->printChoices.enqueue({});
    m_printing->print();

    const QStringList pages = pdfPages();
    QCOMPARE(pages.size(), 3);
    const QList<int> counts{59, 59, 2};
    int next = 1;
    for (int p = 0; p < 3; ++p) {
        const QStringList lines = linesOf(pages[p]);
        QCOMPARE(lines.size(), counts[p] + 1);
        QCOMPARE(lines.first(), name + QString(" / Seite: %1").arg(p + 1));
        for (int k = 1; k < lines.size(); ++k, ++next)
            QCOMPARE(lines[k], QString("%1 PRINT %2").arg(next * 10).arg(next));
    }
    QCOMPARE(next, 121);
}

void PrintTest::dialog_offersTheRealPageCountAndSelectionOnlyWithOne_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("pageCount");
    QTest::newRow("1 line") << 1 << 1;
    QTest::newRow("59 lines") << 59 << 1;
    QTest::newRow("60 lines") << 60 << 2;
    QTest::newRow("118 lines") << 118 << 2;
    QTest::newRow("120 lines") << 120 << 3;
}

void PrintTest::dialog_offersTheRealPageCountAndSelectionOnlyWithOne()
{
    QFETCH(int, lines);
    QFETCH(int, pageCount);
    setProgram(lines);
    m_printing->print(); // cancelled: nothing printed
    QVERIFY(!QFile::exists(m_pdf));
    QTextCursor cursor = m_pane->textCursor();
    cursor.setPosition(0);
    cursor.setPosition(2, QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    m_printing->print();
    QCOMPARE(m_prompts->texts("print"),
             (QStringList{QString("pages 1-%1").arg(pageCount), QString("pages 1-%1, selection").arg(pageCount)}));
}

void PrintTest::chosenPages_onlyThoseArePrinted()
{
    setProgram(120);
    m_prompts->printChoices.enqueue(pages(2, 2));
    m_printing->print();
    QStringList printed = pdfPages();
    QCOMPARE(printed.size(), 1);
    QStringList lines = linesOf(printed[0]);
    QCOMPARE(lines.size(), 60);
    QCOMPARE(lines.first(), QString("ohne Namen / Seite: 2"));
    QCOMPARE(lines[1], QString("600 PRINT 60"));
    QCOMPARE(lines.last(), QString("1180 PRINT 118"));

    // A range chosen once does not stay: "all" prints every page again.
    m_prompts->printChoices.enqueue({});
    m_printing->print();
    QCOMPARE(pdfPages().size(), 3);
}

void PrintTest::selection_printsTheLinesItTouches()
{
    setProgram(8);
    const QTextDocument* document = m_pane->document();
    QTextCursor cursor = m_pane->textCursor();
    // From inside line 3 to the very start of line 6: lines 3 to 5.
    cursor.setPosition(document->findBlockByNumber(2).position() + 2);
    cursor.setPosition(document->findBlockByNumber(5).position(), QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    m_prompts->printChoices.enqueue({Range::Selection, {}});
    m_printing->print();
    QCOMPARE(linesOf(pdfPages().value(0)),
             (QStringList{"ohne Namen / Seite: 1", "30 PRINT 3", "40 PRINT 4", "50 PRINT 5"}));

    // Into the empty line behind a final line break: up to the last line.
    m_pane->appendPlainText("");
    cursor.setPosition(document->findBlockByNumber(7).position());
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    QCOMPARE(EditorPrinting::selectedLines(m_pane.get()), QStringList{"80 PRINT 8"});
}

void PrintTest::failedJob_reportedNoFileLeftDocumentUnchanged_data()
{
    QTest::addColumn<int>("failingPage"); // 0: the job cannot even start
    QTest::addColumn<QString>("message");
    QTest::newRow("no such folder") << 0 << "Der Druckauftrag für %1 konnte nicht gestartet werden.";
    QTest::newRow("third page") << 3 << "Der Druckauftrag für %1 ist fehlgeschlagen und wurde abgebrochen.";
}

void PrintTest::failedJob_reportedNoFileLeftDocumentUnchanged()
{
    QFETCH(int, failingPage);
    QFETCH(QString, message);
    const QString path = m_dir->filePath("prog.bas");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(programOf(120).join("\r\n").toLatin1());
    file.close();
    m_document->open(path);
    const QString text = m_pane->toPlainText();
    if (failingPage)
        m_printing->setPrinter(std::make_unique<FailingPrinter>(failingPage));
    else
        m_pdf = m_dir->filePath("no such folder/listing.pdf");
    m_prompts->printChoices.enqueue({});

    QString error;
    try {
        m_printing->print();
    } catch (const TalomaError& e) {
        error = e.message();
    }
    QCOMPARE(error, message.arg(m_pdf));
    // Two pages of three were written before the third failed: no half listing is left.
    QVERIFY(!QFile::exists(m_pdf));
    QCOMPARE(m_pane->toPlainText(), text);
    QCOMPARE(CurrentFileName, path);
    QVERIFY(!EditorModified);
    QVERIFY(!m_actions[1].isEnabled()); // the toolbar's Save
}

void PrintTest::richTextDocument_isSavedAsRichTextAfterPrinting()
{
    const QString path = m_dir->filePath("prog.rtf");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}\\f0 10 PRINT 1\\par\n20 END\\par\n}");
    file.close();
    m_document->open(path);
    QCOMPARE(m_pane->toPlainText(), QString("10 PRINT 1\n20 END\n"));
    m_prompts->printChoices.enqueue({});
    m_printing->print();
    QCOMPARE(pdfPages().size(), 1);

    m_pane->appendPlainText("30 REM");
    m_document->save();
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY2(saved.startsWith("{\\rtf"), saved.left(40).constData());
    QVERIFY(saved.contains("30 REM"));
}

void PrintTest::preview_showsTheWholeListingAndPrintsItsOwnRange()
{
    setProgram(120);
    // A range chosen for the last print does not narrow the preview.
    m_prompts->printChoices.enqueue(pages(3, 3));
    m_printing->print();
    m_prompts->previewPaints = true;
    m_printing->preview();
    QCOMPARE(m_prompts->shown.last().kind, QString("preview"));
    QCOMPARE(m_prompts->shown.last().caption, QString("Druckvorschau"));
    QCOMPARE(pdfPages().size(), 3);

    // The preview's own print dialog chose page 2.
    m_prompts->onPrinter = [this](QPrinter& printer) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(pages(2, 2).pages);
    };
    m_printing->preview();
    const QStringList printed = pdfPages();
    QCOMPARE(printed.size(), 1);
    QCOMPARE(linesOf(printed[0]).first(), QString("ohne Namen / Seite: 2"));
}

QTEST_MAIN(PrintTest)
#include "tst_print.moc"
