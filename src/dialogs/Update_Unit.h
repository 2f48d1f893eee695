#pragma once

#include <QDialog>

// The "Update" dialog. Created once at start-up and shown modally when its command is chosen.
class TfrmUpdate final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmUpdate)

public:
    explicit TfrmUpdate(QWidget* parent = nullptr);
};
