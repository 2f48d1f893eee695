#pragma once

#include "platform/Prompts.h"

#include <memory>

class QFileDialog;

// The program's prompts: Qt message boxes and the platform's file, font, colour, folder and print
// dialogs. The only place where QMessageBox and the standard dialogs are used.
class QtPrompts final : public Prompts {
public:
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

    // "Text files (*.txt)|*.txt|All (*.*)|*.*" in the form Qt's file dialogs take. A description that
    // already shows its patterns in brackets shows them once, as the dialog matches them.
    static QString qtFilter(const QString& pipeFilter);
    // The extension a bare file name gets when the user picks this entry of qtFilter(): the first
    // pattern's, or none for "every file".
    static QString suffixOfFilter(const QString& qtFilterEntry);
    // The file dialog of a request, as saveFile() and openFile() show it (exposed for tests).
    static std::unique_ptr<QFileDialog> fileDialog(const FileRequest& request, bool save);
};
