#include "QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

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
        entries.append(QStringLiteral("%1 (%2)").arg(parts[i], patterns));
    }
    return entries.join(QStringLiteral(";;"));
}

QString QtPrompts::openFile(const FileRequest& request)
{
    QFileDialog dialog(parentWindow(), request.title, request.path, qtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (request.defaultExtension != QLatin1String("*"))
        dialog.setDefaultSuffix(request.defaultExtension);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                    : QString();
}

QString QtPrompts::saveFile(const FileRequest& request)
{
    QFileDialog dialog(parentWindow(), request.title, request.path, qtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (request.defaultExtension != QLatin1String("*"))
        dialog.setDefaultSuffix(request.defaultExtension);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
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
