#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <exception>
#include <utility>

class QAction;

// Every message box, question and platform dialog goes through this seam. The program installs the
// Qt implementation; tests install a scripted one that records the texts and returns queued answers.
class Prompts {
public:
    enum class Answer { Yes, No, Cancel };

    // What a file dialog is given: the title, the folder or proposed path, the filter in the
    // "Description|*.ext|Description|*.ext" form and the default extension (without the dot).
    struct FileRequest {
        QString title;
        QString path;
        QString filter;
        QString defaultExtension;
    };

    virtual ~Prompts() = default;

    // The general error display and plain information boxes: one OK button.
    virtual void message(const QString& text) = 0;
    // A warning box with one OK button and the given caption.
    virtual void warning(const QString& caption, const QString& text) = 0;
    // A confirmation box with Yes, No and Cancel.
    virtual Answer confirm(const QString& text) = 0;

    // File dialogs; an empty result means the user cancelled.
    virtual QString openFile(const FileRequest& request) = 0;
    virtual QString saveFile(const FileRequest& request) = 0;

    // The platform's font, colour and folder choosers; false / invalid / empty means cancelled.
    virtual bool chooseFont(QFont& font, QColor& color) = 0;
    virtual QColor chooseColor(const QColor& initial) = 0;
    virtual QString chooseFolder(const QString& title, const QString& start) = 0;

    // The installed implementation. Installing nullptr restores a silent default that answers
    // Cancel to everything (used before the program installs its own).
    static Prompts& instance();
    static void install(Prompts* prompts);
};

// Shows an exception's text through the installed prompts. Used by the application object, the
// hand-over queue and every place that ends a command because of an error.
void showError(const std::exception& e);

// Runs one command. An exception it throws ends the command there (what it changed before stays
// changed) and is shown by the general error display; it never travels on through the toolkit's
// signal and event dispatch, which is not written for exceptions.
template <typename Fn>
void runCommand(Fn&& command)
{
    try {
        std::forward<Fn>(command)();
    } catch (const std::exception& e) {
        showError(e);
    }
}

// Runs a menu item's command unless the item is disabled, as a click on it would. Returns whether it
// ran. Commands run from code, a toolbar button or another window go through here.
bool runMenuItem(QAction* item);
