#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The "Tabulator" dialog: the tab step of both panes in dialog units. It shows TabStep each time it
// opens; OK stores the converted box (a text that is no integer reports the conversion error, the
// dialog closes anyway and TabStep keeps its value); Cancel, Esc and the close box store nothing.
// Created once at start-up and shown modally when its command is chosen.
class TfrmTab final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmTab)

public:
    explicit TfrmTab(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void BitBtnOKClick();

    QLabel* lblSchrittweite;
    QLineEdit* txtTabStep;
    QPushButton* BitBtnOK;
    QPushButton* BitBtnCancel;
};
