#pragma once

#include <QDialog>

// The "Com-Port" dialog. Created once at start-up and shown modally when its command is chosen.
class TfrmComPort final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmComPort)

public:
    explicit TfrmComPort(QWidget* parent = nullptr);
};
