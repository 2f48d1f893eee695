#pragma once

#include <QRect>
#include <QWidget>

class QTextBrowser;

// The program's help viewer: shows the two help documents (German, or their English copies while the
// interface is English) and jumps to a named topic. A document is read from the installed help folder,
// else from beside the program, else from the copy built into the program.
class HelpWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpWindow)

public:
    static HelpWindow& instance();

    // Opens the document (a file name such as "Taloma-Terminal.html", or its English copy when english
    // is set and the copy exists) at the topic (an anchor name; empty means its beginning) and brings
    // the window to the front. A window not yet shown opens beside the window named.
    void showDocument(const QString& fileName, const QString& topic, bool english = false,
                      const QWidget* beside = nullptr);

    // Where a document is read from, for a program in programDir: <prefix>/share/taloma-terminal/help/
    // when the program lies in <prefix>/bin, else beside the program, else the built-in copy; empty
    // when there is none.
    static QString documentPath(const QString& fileName, const QString& programDir);
    static QString documentPath(const QString& fileName);

    // The English copy's file name: "Taloma-BASIC.html" gives "Taloma-BASIC-en.html".
    static QString englishName(const QString& fileName);

    // Where a window of the frame size wanted goes so that it lies wholly on the screen's free area:
    // right of the main window, else left of it, narrowed to the larger side's room when that is still
    // wide enough to read, else over the main window at the screen's edge with more room; top edge level
    // with the main window's where the screen allows. Sizes larger than the screen shrink.
    static QRect placeBeside(const QRect& mainFrame, QSize wanted, const QRect& screen);

    QTextBrowser* browser() const { return m_browser; }

private:
    HelpWindow();
    void moveBeside(const QWidget* mainWindow);

    QTextBrowser* m_browser;
};
