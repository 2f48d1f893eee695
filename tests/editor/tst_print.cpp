// The print commands on a bare editor pane with scripted dialogs: what the print dialog offers, which
// pages and lines reach the printer (read back from real PDF files), failures of the printing system,
// and the document left as it was.

#include "editor/EditorDocument.h"
#include "editor/EditorPrinting.h"
#include "editor/ProgramListing.h"
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
    void listing_headersAndLinesInOrderOnEveryPage();
    void unnamedDocument_headedByTheDefaultNameOfTheLanguage_data();
    void unnamedDocument_headedByTheDefaultNameOfTheLanguage();
    void dialog_offersTheRealPageCountAndSelectionOnlyWithOne_data();
    void dialog_offersTheRealPageCountAndSelectionOnlyWithOne();
    void chosenPages_onlyThoseArePrinted();
    void selection_printsTheLinesItTouches();
    void cancelledDialog_printsNothing();
    void jobThatCannotStart_reportedDocumentUnchanged();
    void jobFailingHalfWay_abandonedDocumentUnchanged();
    void richTextDocument_isSavedAsRichTextAfterPrinting();
    void printerSetup_onlyChoosesAndTheNextPrintUsesIt();
    void preview_showsTheWholeListingAndPrintsItsOwnRange();

private:
    void setProgram(const QStringList& lines);
    QString writeProgram(const QString& name, int lines) const;
    // The text pdftotext reads from the file, one entry per page.
    QStringList pdfPages() const;
    void checkUnchanged(const QString& text, const QString& name) const;

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
    SourceCodePfad = m_dir->path();
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

void PrintTest::setProgram(const QStringList& lines) { m_pane->setPlainText(lines.join('\n')); }

QString PrintTest::writeProgram(const QString& name, int lines) const
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(programOf(lines).join("\r\n").toLatin1() + "\r\n");
    return path;
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

void PrintTest::checkUnchanged(const QString& text, const QString& name) const
{
    QCOMPARE(m_pane->toPlainText(), text);
    QCOMPARE(CurrentFileName, name);
    QVERIFY(!EditorModified);
    QVERIFY(!m_actions[1].isEnabled()); // the toolbar's Save
}

// Every non-empty line of a page, without the spaces the layout puts around them.
static QStringList linesOf(const QString& page)
{
    QStringList lines;
    for (const QString& line : page.split('\n'))
        if (!line.trimmed().isEmpty())
            lines.append(line.trimmed());
    return lines;
}

void PrintTest::emptyEditor_asksAndPrintsNothing()
{
    m_prompts->printChoices.enqueue({});
    m_printing->print();
    m_printing->preview();
    QVERIFY(m_prompts->shown.isEmpty());
    QVERIFY(!QFile::exists(m_pdf));
}

void PrintTest::listing_headersAndLinesInOrderOnEveryPage()
{
    const QString name = m_dir->filePath("prog.bas");
    CurrentFileName = name;
    setProgram(programOf(120));
    m_prompts->printChoices.enqueue({});
    m_printing->print();

    const QStringList pages = pdfPages();
    QCOMPARE(pages.size(), 3);
    const QList<int> counts{59, 59, 2};
    int next = 1;
    for (int p = 0; p < 3; ++p) {
        const QStringList lines = linesOf(pages[p]);
        QCOMPARE(lines.size(), counts[p] + 1);
        QCOMPARE(lines.first(), name + QString("   / Seite: %1").arg(p + 1));
        for (int k = 1; k < lines.size(); ++k, ++next)
            QCOMPARE(lines[k], QString("%1 PRINT %2").arg(next * 10).arg(next));
    }
    QCOMPARE(next, 121);
}

void PrintTest::unnamedDocument_headedByTheDefaultNameOfTheLanguage_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("header");
    QTest::newRow("German") << 1 << "ohne Namen   / Seite: 1";
    QTest::newRow("English") << 2 << "untitled   / Seite: 1";
}

void PrintTest::unnamedDocument_headedByTheDefaultNameOfTheLanguage()
{
    QFETCH(int, language);
    QFETCH(QString, header);
    Language = language;
    m_document->setFileTexts();
    CurrentFileName = DefaultFileName;
    setProgram({"10 END"});
    m_prompts->printChoices.enqueue({});
    m_printing->print();
    QCOMPARE(linesOf(pdfPages().value(0)), (QStringList{header, "10 END"}));
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
    setProgram(programOf(lines));
    m_printing->print(); // cancelled
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
    setProgram(programOf(120));
    m_prompts->printChoices.enqueue(pages(2, 2));
    m_printing->print();
    QStringList printed = pdfPages();
    QCOMPARE(printed.size(), 1);
    QStringList lines = linesOf(printed[0]);
    QCOMPARE(lines.size(), 60);
    QCOMPARE(lines.first(), QString("ohne Namen   / Seite: 2"));
    QCOMPARE(lines[1], QString("600 PRINT 60"));
    QCOMPARE(lines.last(), QString("1180 PRINT 118"));

    // Pages 2 to the last, then everything again: a range chosen once does not stay.
    m_prompts->printChoices.enqueue(pages(2, 3));
    m_printing->print();
    printed = pdfPages();
    QCOMPARE(printed.size(), 2);
    QCOMPARE(linesOf(printed[1]), (QStringList{"ohne Namen   / Seite: 3", "1190 PRINT 119", "1200 PRINT 120"}));
    m_prompts->printChoices.enqueue({});
    m_printing->print();
    QCOMPARE(pdfPages().size(), 3);
}

void PrintTest::selection_printsTheLinesItTouches()
{
    setProgram(programOf(8));
    const QTextDocument* document = m_pane->document();
    QTextCursor cursor = m_pane->textCursor();
    // From inside line 3 to the very start of line 6: lines 3 to 5.
    cursor.setPosition(document->findBlockByNumber(2).position() + 2);
    cursor.setPosition(document->findBlockByNumber(5).position(), QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    QCOMPARE(EditorPrinting::selectedLines(m_pane.get()), (QStringList{"30 PRINT 3", "40 PRINT 4", "50 PRINT 5"}));
    m_prompts->printChoices.enqueue({Range::Selection, {}});
    m_printing->print();
    QCOMPARE(linesOf(pdfPages().value(0)),
             (QStringList{"ohne Namen   / Seite: 1", "30 PRINT 3", "40 PRINT 4", "50 PRINT 5"}));

    // Backwards, within one line: that line. Into the empty line behind a final break: up to the last.
    cursor.setPosition(document->findBlockByNumber(6).position() + 3);
    cursor.setPosition(document->findBlockByNumber(6).position() + 1, QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    QCOMPARE(EditorPrinting::selectedLines(m_pane.get()), QStringList{"70 PRINT 7"});
    m_pane->appendPlainText("");
    cursor.setPosition(document->findBlockByNumber(7).position());
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    m_pane->setTextCursor(cursor);
    QCOMPARE(EditorPrinting::selectedLines(m_pane.get()), QStringList{"80 PRINT 8"});
}

void PrintTest::cancelledDialog_printsNothing()
{
    setProgram(programOf(3));
    m_printing->print();
    QCOMPARE(m_prompts->texts("print").size(), 1);
    QVERIFY(!QFile::exists(m_pdf));
}

void PrintTest::jobThatCannotStart_reportedDocumentUnchanged()
{
    const QString path = writeProgram("prog.bas", 3);
    m_document->open(path);
    const QString text = m_pane->toPlainText();
    m_pdf = m_dir->filePath("no such folder/listing.pdf");
    m_prompts->printChoices.enqueue({});
    try {
        m_printing->print();
        QFAIL("the print went through");
    } catch (const TalomaError& e) {
        QCOMPARE(e.message(), QString("Der Druckauftrag für %1 konnte nicht gestartet werden.").arg(m_pdf));
    }
    checkUnchanged(text, path);
}

void PrintTest::jobFailingHalfWay_abandonedDocumentUnchanged()
{
    const QString path = writeProgram("prog.bas", 120);
    m_document->open(path);
    const QString text = m_pane->toPlainText();
    m_printing->setPrinter(std::make_unique<FailingPrinter>(3));
    m_prompts->printChoices.enqueue({});
    Language = 2;
    try {
        m_printing->print();
        QFAIL("the print went through");
    } catch (const TalomaError& e) {
        QCOMPARE(e.message(), QString("The print job for %1 failed and was cancelled.").arg(m_pdf));
    }
    // Two of three pages were written: no such half a listing is left.
    QVERIFY(!QFile::exists(m_pdf));
    checkUnchanged(text, path);
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

    QVERIFY(m_document->isRich());
    m_pane->appendPlainText("30 REM");
    m_document->save();
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    QVERIFY2(saved.startsWith("{\\rtf"), saved.left(40).constData());
    QVERIFY(saved.contains("30 REM"));
}

void PrintTest::printerSetup_onlyChoosesAndTheNextPrintUsesIt()
{
    setProgram(programOf(3));
    QList<QPrinter*> printers;
    m_prompts->onPrinter = [this, &printers](QPrinter& printer) {
        printers.append(&printer);
        if (printers.size() == 1) { // the setup: landscape
            printer.setPageOrientation(QPageLayout::Landscape);
            return;
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdf);
    };
    m_prompts->printerSetups.enqueue(true);
    m_printing->setUpPrinter();
    QCOMPARE(m_prompts->texts("printer setup").size(), 1);
    QVERIFY(!QFile::exists(m_pdf));
    QCOMPARE(m_prompts->texts("print").size(), 0);

    m_prompts->printChoices.enqueue({});
    m_printing->print();
    QCOMPARE(printers.size(), 2);
    QCOMPARE(printers[1], printers[0]);
    QCOMPARE(printers[1]->pageLayout().orientation(), QPageLayout::Landscape);
    QCOMPARE(pdfPages().size(), 1);
}

void PrintTest::preview_showsTheWholeListingAndPrintsItsOwnRange()
{
    setProgram(programOf(120));
    // A range chosen for the last print does not narrow the preview.
    m_prompts->printChoices.enqueue(pages(3, 3));
    m_printing->print();
    QCOMPARE(pdfPages().size(), 1);

    m_prompts->previewPaints = true;
    m_printing->preview();
    QCOMPARE(m_prompts->shown.last().kind, QString("preview"));
    QCOMPARE(m_prompts->shown.last().caption, QString("Druckvorschau"));
    QCOMPARE(pdfPages().size(), 3);
    QCOMPARE(m_prompts->texts("print").size(), 1); // the preview asks nothing before it shows

    // The preview's own print dialog chose page 2.
    m_prompts->onPrinter = [this](QPrinter& printer) {
        printer.setOutputFileName(m_pdf);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setPageRanges(pages(2, 2).pages);
    };
    m_printing->preview();
    const QStringList printed = pdfPages();
    QCOMPARE(printed.size(), 1);
    QCOMPARE(linesOf(printed[0]).first(), QString("ohne Namen   / Seite: 2"));
}

QTEST_MAIN(PrintTest)
#include "tst_print.moc"
