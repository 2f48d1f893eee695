#pragma once

#include <QDialog>

// The "Farben einstellen" dialog. Created once at start-up and shown modally when its command is chosen.
class TfrmEinstFarben final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmEinstFarben)

public:
    explicit TfrmEinstFarben(QWidget* parent = nullptr);
};
