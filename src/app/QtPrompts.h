#pragma once

#include "platform/Prompts.h"

// The program's prompts: Qt message boxes and the platform's file, font, colour and folder dialogs.
// The only place where QMessageBox and the standard dialogs are used.
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

    // "Text files (*.txt)|*.txt|All (*.*)|*.*" in the form Qt's file dialogs take.
    static QString qtFilter(const QString& pipeFilter);
};
