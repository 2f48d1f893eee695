#pragma once

#include <QDialog>

// The "Information" dialog. Created once at start-up and shown modally when its command is chosen.
class TfrmInfo final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmInfo)

public:
    explicit TfrmInfo(QWidget* parent = nullptr);
};
