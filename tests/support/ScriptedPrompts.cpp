#include "ScriptedPrompts.h"

void ScriptedPrompts::message(const QString& text) { shown.append({"message", {}, text}); }

void ScriptedPrompts::warning(const QString& caption, const QString& text)
{
    shown.append({"warning", caption, text});
}

Prompts::Answer ScriptedPrompts::confirm(const QString& text)
{
    shown.append({"confirm", {}, text});
    return answers.isEmpty() ? Answer::Cancel : answers.dequeue();
}

QString ScriptedPrompts::openFile(const FileRequest& request)
{
    shown.append({"open", request.title, request.path});
    fileRequests.append(request);
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedPrompts::saveFile(const FileRequest& request)
{
    shown.append({"save", request.title, request.path});
    fileRequests.append(request);
    return files.isEmpty() ? QString() : files.dequeue();
}

bool ScriptedPrompts::chooseFont(QFont& font, QColor& color)
{
    shown.append({"font", {}, font.family()});
    if (fonts.isEmpty())
        return false;
    font = fonts.dequeue();
    if (!colors.isEmpty())
        color = colors.dequeue();
    return true;
}

QColor ScriptedPrompts::chooseColor(const QColor& initial)
{
    shown.append({"color", {}, initial.name()});
    return colors.isEmpty() ? QColor() : colors.dequeue();
}

QString ScriptedPrompts::chooseFolder(const QString& title, const QString& start)
{
    shown.append({"folder", title, start});
    return folders.isEmpty() ? QString() : folders.dequeue();
}

bool ScriptedPrompts::choosePrint(QPrinter& printer, const PrintRequest& request, PrintChoice& choice)
{
    const char* selection = request.selectionOffered ? ", selection" : "";
    shown.append({"print", {}, QStringLiteral("pages 1-%1%2").arg(request.pageCount).arg(selection)});
    printRequests.append(request);
    if (onPrinter)
        onPrinter(printer);
    if (printChoices.isEmpty())
        return false;
    choice = printChoices.dequeue();
    return true;
}

bool ScriptedPrompts::setUpPrinter(QPrinter& printer)
{
    shown.append({"printer setup", {}, {}});
    if (onPrinter)
        onPrinter(printer);
    return !printerSetups.isEmpty() && printerSetups.dequeue();
}

void ScriptedPrompts::previewPrint(QPrinter& printer, const QString& title,
                                   const std::function<void(QPrinter&)>& paint)
{
    shown.append({"preview", title, {}});
    if (onPrinter)
        onPrinter(printer);
    if (previewPaints)
        paint(printer);
}

QStringList ScriptedPrompts::texts(const QString& kind) const
{
    QStringList out;
    for (const auto& s : shown)
        if (s.kind == kind)
            out.append(s.text);
    return out;
}

void ScriptedPrompts::clear()
{
    shown.clear();
    fileRequests.clear();
    printRequests.clear();
}
