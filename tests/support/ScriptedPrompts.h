#pragma once

#include "platform/Prompts.h"

#include <QList>
#include <QQueue>

// Prompts for tests: records every text shown and returns queued answers. An empty queue answers
// Cancel (and an empty file name), so an unexpected question never blocks a test.
class ScriptedPrompts final : public Prompts {
public:
    struct Shown {
        QString kind; // "message", "warning", "confirm", "open", "save", "font", "color", "folder"
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

    QQueue<Answer> answers;
    QQueue<QString> files;   // answers of open and save dialogs ("" cancels)
    QQueue<QString> folders; // answers of the folder chooser
    QQueue<QFont> fonts;     // answers of the font chooser (empty queue cancels)
    QQueue<QColor> colors;   // answers of the font chooser's colour and the colour chooser

    QList<Shown> shown;
    QList<FileRequest> fileRequests; // what each file dialog was given

    // Texts of the shown items of one kind, in order.
    QStringList texts(const QString& kind) const;
    void clear();
};
