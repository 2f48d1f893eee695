#include "editor/EditorPrinting.h"

#include "editor/PlainTextEditLines.h"
#include "editor/ProgramListing.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"
#include "platform/StringTable.h"
#include "settings/GlobVar_Unit.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

using namespace GlobVar;

namespace {

// String-table numbers of the preview's title and the messages about a failed job.
constexpr int PreviewTitleTag = 11;
constexpr int JobNotStartedTag = 12;
constexpr int JobFailedTag = 13;

QString text(int tag) { return StringTable::LoadStr(tag + StringTable::LanguageOffset(Language)); }

// Where the job goes, as the user chose it: the file, or the printer.
QString destinationOf(const QPrinter& printer)
{
    if (!printer.outputFileName().isEmpty())
        return printer.outputFileName();
    return printer.printerName().isEmpty() ? QStringLiteral("PDF") : printer.printerName();
}

// Ends a job that failed: the printing system is asked to drop it, and half a file is no listing.
void abandon(QPrinter& printer, QPainter& painter)
{
    printer.abort();
    painter.end();
    if (!printer.outputFileName().isEmpty())
        QFile::remove(printer.outputFileName());
}

} // namespace

EditorPrinting::EditorPrinting(QPlainTextEdit* pane, QObject* parent) : QObject(parent), m_pane(pane) {}

EditorPrinting::~EditorPrinting() = default;

QPrinter& EditorPrinting::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void EditorPrinting::setPrinter(std::unique_ptr<QPrinter> printer) { m_printer = std::move(printer); }

QStringList EditorPrinting::selectedLines(const QPlainTextEdit* pane)
{
    const QTextCursor cursor = pane->textCursor();
    if (!cursor.hasSelection())
        return {};
    const QStringList lines = PlainTextEditLines::paneLines(pane);
    const QTextDocument* document = pane->document();
    const int first = document->findBlock(cursor.selectionStart()).blockNumber();
    const QTextBlock lastBlock = document->findBlock(cursor.selectionEnd());
    int last = lastBlock.blockNumber();
    if (last > first && cursor.selectionEnd() == lastBlock.position())
        --last;
    // The empty block behind a final line break is no line.
    last = std::min(last, int(lines.size()) - 1);
    return first > last ? QStringList() : lines.mid(first, last - first + 1);
}

void EditorPrinting::printPages(QPrinter& printer, const ProgramListing& listing, const QList<int>& pages)
{
    if (pages.isEmpty())
        return;
    QPainter painter;
    if (!painter.begin(&printer))
        throw TalomaError(text(JobNotStartedTag).arg(destinationOf(printer)));
    bool complete = false;
    try {
        complete = listing.paint(painter, pages, [&printer] { return printer.newPage(); }) &&
                   printer.printerState() != QPrinter::Error;
    } catch (...) {
        abandon(printer, painter);
        throw;
    }
    if (!complete) {
        abandon(printer, painter);
        throw TalomaError(text(JobFailedTag).arg(destinationOf(printer)));
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        throw TalomaError(text(JobFailedTag).arg(destinationOf(printer)));
}

void EditorPrinting::print()
{
    const ProgramListing whole(PlainTextEditLines::paneLines(m_pane), CurrentFileName);
    if (whole.lineCount() == 0)
        return;
    QPrinter& target = printer();
    target.setDocName(QFileInfo(CurrentFileName).fileName());
    Prompts::PrintChoice choice;
    if (!Prompts::instance().choosePrint(target, {whole.pageCount(), m_pane->textCursor().hasSelection()}, choice))
        return;
    switch (choice.range) {
    case Prompts::PrintChoice::Range::All:
        printPages(target, whole, whole.pagesIn({}));
        break;
    case Prompts::PrintChoice::Range::Pages:
        printPages(target, whole, whole.pagesIn(choice.pages));
        break;
    case Prompts::PrintChoice::Range::Selection: {
        // The selected lines make a listing of their own, numbered from its first page.
        const ProgramListing selected(selectedLines(m_pane), CurrentFileName);
        printPages(target, selected, selected.pagesIn({}));
        break;
    }
    }
}

void EditorPrinting::setUpPrinter() { Prompts::instance().setUpPrinter(printer()); }

void EditorPrinting::preview()
{
    const ProgramListing listing(PlainTextEditLines::paneLines(m_pane), CurrentFileName);
    if (listing.lineCount() == 0)
        return;
    QPrinter& target = printer();
    target.setDocName(QFileInfo(CurrentFileName).fileName());
    // The preview shows the whole listing, whatever range the last print chose.
    target.setPrintRange(QPrinter::AllPages);
    Prompts::instance().previewPrint(target, text(PreviewTitleTag), [&listing](QPrinter& device) {
        const bool ranged = device.printRange() == QPrinter::PageRange;
        // Called from inside the preview's own dialog: an error is shown there and goes no further.
        runCommand([&] { printPages(device, listing, listing.pagesIn(ranged ? device.pageRanges() : QPageRanges())); });
    });
}
