#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTextDocument;
class QToolButton;

// The find bar under the page: it searches the pane in front as the user types, goes on to the next
// or the previous place (F3, Shift+F3, its arrows), with or without regard to the case of letters,
// and starts again at the other end when it runs out. A place found is the pane's selection, so that
// closing the bar (Esc) leaves the caret on it.
class FindBar final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindBar)

public:
    enum class Direction { Forward, Backward };
    // A place found: its start and length, or start -1; `wrapped` when it lies beyond the end the
    // search ran towards.
    struct Match {
        int start = -1;
        int length = 0;
        bool wrapped = false;
    };
    // Searches `document` for `text` from `position`: forward, a match starting there or later;
    // backward, one starting before it. Runs on from the other end when nothing is found.
    static Match find(const QTextDocument* document, const QString& text, int position, Direction direction,
                      bool caseSensitive);

    explicit FindBar(QWidget* parent = nullptr);

    // The bar's texts in the interface language (Language).
    void applyLanguage();

    // The pane searched; the bar follows the page in front.
    void setPane(QPlainTextEdit* pane);
    QPlainTextEdit* pane() const { return m_pane; }

    // Shows the bar with its field ready for typing; a selection on one line becomes the text sought.
    void open();
    // Hides the bar; the keyboard goes back to the pane.
    void close();
    // The next and the previous place; with nothing to look for, the bar opens instead. Returns
    // whether a place was found.
    bool findNext();
    bool findPrevious();

    QString text() const;
    void setText(const QString& text);
    bool caseSensitive() const;
    void setCaseSensitive(bool on);
    // "" after a plain find; otherwise that nothing was found, or that the search went on from the
    // other end.
    QString status() const;

signals:
    // A place was selected in the pane.
    void found();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The search as the user types: from where the current place starts, so that a longer text keeps
    // the place while it still matches.
    void searchAsTyped();
    bool search(int position, Direction direction);
    void showResult(bool notFound, bool wrapped);

    QPointer<QPlainTextEdit> m_pane;
    QLineEdit* m_field = nullptr;
    QCheckBox* m_case = nullptr;
    QToolButton* m_previous = nullptr;
    QToolButton* m_next = nullptr;
    QToolButton* m_close = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_label = nullptr;
    bool m_notFound = false;
    bool m_wrapped = false;
};
