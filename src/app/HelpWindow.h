#pragma once

#include <QWidget>

class QTextBrowser;

// The program's help viewer: shows the two help documents that lie beside the program (with copies
// built into the program as a fallback) and jumps to a named topic.
class HelpWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HelpWindow)

public:
    static HelpWindow& instance();

    // Opens the document (a file name such as "Taloma-Terminal.html") at the topic (an anchor name;
    // empty means its beginning) and brings the window to the front.
    void showDocument(const QString& fileName, const QString& topic);

    // Where a document is read from: beside the program when it is there, else the built-in copy.
    static QString documentPath(const QString& fileName);

    QTextBrowser* browser() const { return m_browser; }

private:
    HelpWindow();

    QTextBrowser* m_browser;
};
