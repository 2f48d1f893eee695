#pragma once

#include <QDialog>

// The "Einstellungen" dialog. Created once at start-up and shown modally when its command is chosen.
class TfrmEinstellungen final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmEinstellungen)

public:
    explicit TfrmEinstellungen(QWidget* parent = nullptr);
};
