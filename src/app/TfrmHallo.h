#pragma once

#include <QDialog>

class QLabel;

// The splash window shown during start-up: the picture, the program's title and version, and the
// maker's address.
class TfrmHallo final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmHallo)

public:
    explicit TfrmHallo(QWidget* parent = nullptr);

    void FormCreate();

    QLabel* Image1 = nullptr;
    QLabel* lblVersion = nullptr;
};
