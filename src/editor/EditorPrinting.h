#pragma once

#include <QList>
#include <QObject>
#include <QStringList>

#include <memory>

class ProgramListing;
class QPlainTextEdit;
class QPrinter;

// The editor's print commands: the pane's program printed as a listing on the printer the user chose,
// its preview, and the printer setup. One printer serves them all for as long as the program runs, so
// what the setup or a print dialog chose holds for the next print. Every dialog goes through the
// prompts.
//
// Printing never touches the document: its text, its name, its modified state and the way it is
// written (plain or rich text, which follows its file name) stay as they were, also when the printing
// system fails. Such a failure ends the command with an error naming the printer or file; a job that
// fails half-way is abandoned, not sent or left as half a file.
class EditorPrinting final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorPrinting)

public:
    explicit EditorPrinting(QPlainTextEdit* pane, QObject* parent = nullptr);
    ~EditorPrinting() override;

    // Asks for the printer and the pages, then prints them. An empty editor prints nothing and asks
    // nothing.
    void print();
    // The printer setup, nothing else.
    void setUpPrinter();
    // Shows the pages print() would print; its own print button prints the pages chosen there.
    void preview();

    // The shared printer, made at its first use (finding the system's printers takes a while).
    QPrinter& printer();
    // Another printer in its place.
    void setPrinter(std::unique_ptr<QPrinter> printer);

    // The lines the selection touches: a selection that ends at the very start of a line does not take
    // that line.
    static QStringList selectedLines(const QPlainTextEdit* pane);

    // Prints the pages of the listing as one job; throws when the job cannot be started or fails.
    static void printPages(QPrinter& printer, const ProgramListing& listing, const QList<int>& pages);

private:
    QPlainTextEdit* m_pane;
    std::unique_ptr<QPrinter> m_printer;
};
