#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QPlainTextEdit;

// The editor's document: which file the pane holds, whether it is read and written as rich text,
// whether it is modified, and the commands that load, save and close it with the questions that
// protect unsaved work. Its state is the global state (CurrentFileName, EditorModified ...); every
// question and file dialog goes through the prompts, so it is tested with a bare pane and scripted
// answers.
//
// An error (a file that cannot be read or written) ends the command where it happened and travels on
// to the caller: a save that failed never goes on to count the document as saved, nor a close or an
// open to discard it.
class EditorDocument final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorDocument)

public:
    // The commands whose enabled state follows the document.
    struct Actions {
        QAction* save = nullptr;
        QAction* saveButton = nullptr;
        QAction* close = nullptr;
        QAction* closeButton = nullptr;
        QAction* undo = nullptr;
        QAction* undoButton = nullptr;
        QAction* redoButton = nullptr;
    };

    EditorDocument(QPlainTextEdit* pane, const Actions& actions, QObject* parent = nullptr);

    // Whether the document is read and written as rich text: its own name ends in ".rtf".
    bool isRich() const;
    // "Editor - name", with " *" when marked.
    QString caption(bool withMark) const;

    // The unnamed document's name and the file filters in the interface language.
    void setFileTexts();
    // The file filter with the preferred file type first.
    void datFilter();

    // Loads CurrentFileName into the pane as the unmodified document.
    void loadCurrentFile();
    // Loads the file as the current document; when it cannot be loaded, the document keeps its name.
    void open(const QString& path);
    // The current file goes to the top of the recent list.
    void addRecentFile();
    // The pane's text changed.
    void textChanged();
    // The same for a text of the given length (the line tools report the lengths their edits went
    // through).
    void textChanged(int length);

    // The file commands.
    void openChosen();
    void save();
    void saveAs();
    // Sets CloseCancelled when the user kept the document.
    void close();
    // The document is about to be replaced: asks the close question when it is modified. False keeps
    // it (Cancel, or a save that did not happen); the pane is left as it is in any case.
    bool mayReplace();
    // Replaces the document with a new unnamed one holding the program text. No file holds the text,
    // so it counts as modified.
    void openUnnamed(const QString& programText);
    // Closes and opens entry `number` (1-4) of the recent list.
    void openRecent(int number);
    // Opens the files one after the other, asking first about a modified document. Returns whether
    // they were opened.
    bool openDropped(const QStringList& paths);

    // The program is to end: asks about unsaved changes. False keeps the program open (Cancel, or a
    // save that did not happen).
    bool mayEnd();
    // The program is ending without questions: an unsaved text is kept in the recovery file.
    void keepForRecovery();
    // At start: offers a kept text; restored, it is the modified document under its old name.
    void offerRecovery();

signals:
    // The editor page is to be in front.
    void pageWanted();
    // The editor page's caption.
    void captionChanged(const QString& caption);
    // A file went to the recent list; `listChanged` is false when it was first already.
    void recentFileAdded(bool listChanged);

private:
    enum class FileKind { Text = 0, Basic = 1, All = 2 };
    void orderFilter(FileKind first);
    void showPage(const QString& caption);
    int textLength() const;
    void loadText(const QString& path);
    void writeFile(const QString& path);
    // Saves when the user answers Yes to the question; false when the document is to be kept.
    bool askToSaveChanges(const QString& question);
    bool askToSaveBeforeClosing();
    void setEnabled(std::initializer_list<QAction*> actions, bool enabled);

    QPlainTextEdit* m_pane;
    Actions m_actions;
};
