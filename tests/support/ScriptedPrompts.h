#pragma once

#include "platform/Prompts.h"

#include <QList>
#include <QQueue>

// Prompts for tests: records every text shown and returns queued answers. An empty queue answers
// Cancel (and an empty file name), so an unexpected question never blocks a test.
class ScriptedPrompts final : public Prompts {
public:
    struct Shown {
        // "message", "warning", "confirm", "open", "save", "font", "color", "folder", "print", "printer setup",
        // "preview"
        QString kind;
        QString caption;
        QString text;
    };

    ScriptedPrompts() { Prompts::install(this); }
    ~ScriptedPrompts() override { Prompts::install(nullptr); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    void message(const QString& text) override;
    void warning(const QString& caption, const QString& text) override;
    Answer confirm(const QString& text) override;
    QString openFile(const FileRequest& request) override;
    QString saveFile(const FileRequest& request) override;
    bool chooseFont(QFont& font, QColor& color) override;
    QColor chooseColor(const QColor& initial) override;
    QString chooseFolder(const QString& title, const QString& start) override;
    bool choosePrint(QPrinter& printer, const PrintRequest& request, PrintChoice& choice) override;
    bool setUpPrinter(QPrinter& printer) override;
    void previewPrint(QPrinter& printer, const QString& title, const std::function<void(QPrinter&)>& paint) override;

    QQueue<Answer> answers;
    QQueue<QString> files;   // answers of open and save dialogs ("" cancels)
    QQueue<QString> folders; // answers of the folder chooser
    QQueue<QFont> fonts;     // answers of the font chooser (empty queue cancels)
    QQueue<QColor> colors;   // answers of the font chooser's colour and the colour chooser
    QQueue<PrintChoice> printChoices; // answers of the print dialog (empty queue cancels)
    QQueue<bool> printerSetups;       // answers of the printer setup (empty queue cancels)
    // Sees the printer of every print, printer setup and preview dialog before it answers, as the user
    // would choose a printer or a file there.
    std::function<void(QPrinter&)> onPrinter;
    // Whether a preview paints its pages (on the printer onPrinter prepared) before it is closed.
    bool previewPaints = false;

    QList<Shown> shown;
    QList<FileRequest> fileRequests; // what each file dialog was given
    QList<PrintRequest> printRequests; // what each print dialog offered

    // Texts of the shown items of one kind, in order.
    QStringList texts(const QString& kind) const;
    void clear();
};
