#pragma once

#include <QDialog>

// The "Umgebungsoptionen" dialog. Created once at start-up and shown modally when its command is chosen.
class TfrmEnvironment final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmEnvironment)

public:
    explicit TfrmEnvironment(QWidget* parent = nullptr);
};
