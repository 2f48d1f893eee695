#pragma once

#include <QDialog>

#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The values last accepted by the auto-number dialog's OK button (0 and 0 until then).
extern qint32 AutoNumStart;
extern qint32 AutoNumStep;

// The auto-number dialog: start value and step, with an OK button only. The boxes keep what the user
// left in them; OK puts "10" into an empty box and stores the converted values (a box that does not
// convert reports the conversion error, the dialog closes anyway and that value, and any value after
// it, keeps its old content). The close box and Esc read nothing.
class TfrmAutoNum final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmAutoNum)

public:
    explicit TfrmAutoNum(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BitBtnOKClick();

    QGroupBox* GroupBox1;
    QLabel* lblStartwert;
    QLineEdit* txtStartwert;
    QLabel* lblSchrittweite;
    QLineEdit* txtSchrittweite;
    QPushButton* BitBtnOK;
};

// The Auto-Number command. When the mode is on it is switched off (showPressed(false)) and nothing else
// happens. Otherwise showPressed(true), the dialog runs modally, and however it was closed the mode is
// switched on with AutoNumStart and AutoNumStep and a line holding the start value is appended to the
// pane with the caret behind it.
void toggleAutoNumber(TfrmAutoNum& dialog, QPlainTextEdit* pane, const std::function<void(bool)>& showPressed);
