#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

// The environment options dialog: preferred file type, source folder, the carriage return after
// opening the port, the terminal pane's line limit, the error-report switches and the toolbar
// switches. It edits the global settings in place; they reach the settings file when the program
// ends. The six error-report boxes only show their values: no line error is reported anywhere, so
// the user cannot switch them on.
//
// OK takes every control into the globals. Cancel and Esc put back the source folder as it was when
// the dialog was shown (the browse button stores a chosen folder at once); the close box keeps it.
// Nothing else is stored without OK.
class TfrmEnvironment final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmEnvironment)

public:
    struct Links {
        // Sets the texts of every tagged control of the program's windows (offset 0 German, 1000
        // English), as the language commands do.
        std::function<void(int offset)> applyLanguage;
    };

    explicit TfrmEnvironment(QWidget* parent = nullptr, Links links = {});

    void FormCreate();
    void FormActivate();
    void BitBtnOKClick();
    void BitBtnCancelClick();
    void BitBtnSuchenClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFilePage();
    void buildTerminalPage();
    void buildSkinPage();
    // Shows SourceCodePfad in lblSourcePfad, shortened to the label's width.
    void showSourcePath();

    Links m_links;
    // SourceCodePfad as it was when the dialog was shown; Cancel puts it back.
    QString m_sourcePathShown;
    // The line limit as the field showed it: the setting is only written when the user changed it,
    // so that a stored value the field cannot show is kept.
    int m_maxLinesShown = 0;

    QTabWidget* PageControl1;
    QWidget *TSheetDatei, *TSheetTerminal, *TSheetAnzeige;
    QGroupBox *gboxFilter, *gboxSource, *gboxPort, *gboxTerminal, *gboxFehler, *gboxToolbar, *gboxOverlapp, *gboxMove,
        *gboxAnzeigen;
    QComboBox* cboxFilter;
    QLabel* lblSourcePfad;
    QPushButton* BitBtnSuchen;
    QRadioButton *rbtnReturn, *rbtnNoReturn;
    QCheckBox* cboxReconnect;
    QLabel* lblMaxLines;
    QSpinBox* txtMaxLines;
    QCheckBox *cboxBreak, *cboxFraming, *cboxOverflow, *cboxRxBuffer, *cboxTxBuffer, *cboxParity;
    QRadioButton *rbtnOverlappYes, *rbtnOverlappNo, *rbtnMoveYes, *rbtnMoveNo;
    QCheckBox *chboxTb1, *chboxTb2;
    QPushButton *BitBtnCancel, *BitBtnOK;
};
