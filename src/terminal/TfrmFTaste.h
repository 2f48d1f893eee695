#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QAction;
class TSerComm;

// The function-key window: a small tool window with one button per function key, shown and hidden
// from the Extras menu. F5 and F6 send RUN and LIST to the controller, F1 and Ctrl+F1 open the help;
// the keys act while this window has the focus. It is created hidden, at the position stored in the
// settings, and its texts are German in both languages.
class TfrmFTaste final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmFTaste)

public:
    // What the keys act on: the help commands of the main window's menu, the menu item that shows this
    // window (unticked when it closes), and the port that RUN and LIST go to.
    struct Links {
        QAction* help = nullptr;
        QAction* reference = nullptr;
        QAction* shownItem = nullptr;
        TSerComm* port = nullptr;
    };

    TfrmFTaste(QWidget* mainWindow, const Links& links);

    void FormCreate();
    void FormClose();
    // Returns true when the key was one of the window's keys.
    bool FormKeyDown(const QKeyEvent* event);
    void BitBtnF1Click();
    void BitBtnF5Click();
    void BitBtnF6Click();
    void BitBtnCtrlF1Click();

    QPushButton *BitBtnF1, *BitBtnF2, *BitBtnF3, *BitBtnF4, *BitBtnF5, *BitBtnF6, *BitBtnCtrlF1;
    QLabel *lblHilfe, *lblReferenz;

public slots:
    // Escape does not hide the window; only its close box and the menu item do.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Links m_links;
};
