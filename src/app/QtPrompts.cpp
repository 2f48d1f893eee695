#include "QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QRegularExpression>

namespace {

QWidget* parentWindow() { return QApplication::activeWindow(); }

QString title() { return QApplication::applicationName(); }

} // namespace

void QtPrompts::message(const QString& text) { QMessageBox::information(parentWindow(), title(), text); }

void QtPrompts::warning(const QString& caption, const QString& text)
{
    QMessageBox::warning(parentWindow(), caption, text);
}

Prompts::Answer QtPrompts::confirm(const QString& text)
{
    const auto pressed = QMessageBox::question(parentWindow(), title(), text,
                                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                               QMessageBox::Yes);
    if (pressed == QMessageBox::Yes)
        return Answer::Yes;
    if (pressed == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}

QString QtPrompts::qtFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // "*.*" means every file on the platform the texts were written for.
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        // "Textdateien (*.txt)" already names its patterns; the dialog reads them from the brackets,
        // so they are replaced there instead of being repeated.
        QString description = parts[i];
        static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
        description.remove(shownPatterns);
        entries.append(QStringLiteral("%1 (%2)").arg(description, patterns));
    }
    return entries.join(QStringLiteral(";;"));
}

QString QtPrompts::suffixOfFilter(const QString& qtFilterEntry)
{
    // The patterns stand in the last brackets, separated by spaces: "Basic-Dateien (*.bas)".
    const qsizetype open = qtFilterEntry.lastIndexOf(QLatin1Char('('));
    const qsizetype close = qtFilterEntry.lastIndexOf(QLatin1Char(')'));
    const QString inside = open >= 0 && close > open ? qtFilterEntry.mid(open + 1, close - open - 1) : qtFilterEntry;
    const QString first = inside.split(QLatin1Char(' '), Qt::SkipEmptyParts).value(0);
    // "*.bas" gives "bas"; "*" and patterns with wildcards after the dot give none.
    if (!first.startsWith(QLatin1String("*.")))
        return {};
    const QString suffix = first.mid(2);
    return suffix.contains(QLatin1Char('*')) || suffix.contains(QLatin1Char('?')) ? QString() : suffix;
}

std::unique_ptr<QFileDialog> QtPrompts::fileDialog(const FileRequest& request, bool save)
{
    auto dialog = std::make_unique<QFileDialog>(parentWindow(), request.title, request.path, qtFilter(request.filter));
    if (save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        // The program asks its own overwrite question.
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    }
    // A bare name gets the extension of the type the user chose in the dialog ("demo" with the BASIC
    // files chosen is saved as demo.bas); at first that is the request's default extension.
    if (request.defaultExtension != QLatin1String("*"))
        dialog->setDefaultSuffix(request.defaultExtension);
    QFileDialog* d = dialog.get();
    QObject::connect(d, &QFileDialog::filterSelected, d,
                     [d](const QString& filter) { d->setDefaultSuffix(suffixOfFilter(filter)); });
    return dialog;
}

QString QtPrompts::openFile(const FileRequest& request)
{
    const auto dialog = fileDialog(request, false);
    return dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty() ? dialog->selectedFiles().first()
                                                                                      : QString();
}

QString QtPrompts::saveFile(const FileRequest& request)
{
    const auto dialog = fileDialog(request, true);
    return dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty() ? dialog->selectedFiles().first()
                                                                                      : QString();
}

bool QtPrompts::chooseFont(QFont& font, QColor& color)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parentWindow());
    if (!ok)
        return false;
    font = chosen;
    const QColor c = QColorDialog::getColor(color, parentWindow());
    if (c.isValid())
        color = c;
    return true;
}

QColor QtPrompts::chooseColor(const QColor& initial) { return QColorDialog::getColor(initial, parentWindow()); }

QString QtPrompts::chooseFolder(const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(parentWindow(), title, start);
}

bool QtPrompts::choosePrint(QPrinter& printer, const PrintRequest& request, PrintChoice& choice)
{
    QPrintDialog dialog(&printer, parentWindow());
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile |
                                                       QAbstractPrintDialog::PrintPageRange |
                                                       QAbstractPrintDialog::PrintShowPageSize;
    if (request.selectionOffered)
        options |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    // Every print starts from the whole listing, whatever was chosen the last time.
    dialog.setMinMax(1, request.pageCount);
    dialog.setFromTo(1, request.pageCount);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    switch (dialog.printRange()) {
    case QAbstractPrintDialog::Selection:
        choice = {PrintChoice::Range::Selection, {}};
        break;
    case QAbstractPrintDialog::PageRange:
        choice = {PrintChoice::Range::Pages, printer.pageRanges()};
        break;
    case QAbstractPrintDialog::AllPages:
    case QAbstractPrintDialog::CurrentPage: // not offered
        choice = {PrintChoice::Range::All, {}};
        break;
    }
    return true;
}

bool QtPrompts::setUpPrinter(QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, parentWindow());
    return dialog.exec() == QDialog::Accepted;
}

void QtPrompts::previewPrint(QPrinter& printer, const QString& title, const std::function<void(QPrinter&)>& paint)
{
    QPrintPreviewDialog dialog(&printer, parentWindow());
    dialog.setWindowTitle(title);
    // A page must be readable at first sight: most of the screen, not the dialog's small default.
    if (const QScreen* screen = dialog.screen())
        dialog.resize(screen->availableSize() * 4 / 5);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* p) { paint(*p); });
    dialog.exec();
}
