#pragma once

#include <QColor>
#include <QFont>
#include <QPageRanges>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <utility>

class QAction;
class QPrinter;

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

    // What the print dialog offers: pages 1 to pageCount, and the selection only when there is one.
    struct PrintRequest {
        int pageCount = 0;
        bool selectionOffered = false;
    };
    // What the user chose there: every page, the pages named in `pages`, or the selection.
    struct PrintChoice {
        enum class Range { All, Pages, Selection };
        Range range = Range::All;
        QPageRanges pages;
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

    // The platform's print dialog on `printer`, which keeps the printer, file and copies chosen there;
    // false means cancelled.
    virtual bool choosePrint(QPrinter& printer, const PrintRequest& request, PrintChoice& choice) = 0;
    // The printer setup (paper, orientation, margins) on `printer`; false means cancelled.
    virtual bool setUpPrinter(QPrinter& printer) = 0;
    // A preview of the pages `paint` paints on the printer it is given, until the user closes it.
    virtual void previewPrint(QPrinter& printer, const QString& title,
                              const std::function<void(QPrinter&)>& paint) = 0;

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
