#pragma once

#include <QDialog>

// The "Tabulator" dialog. Created once at start-up and shown modally when its command is chosen.
class TfrmTab final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmTab)

public:
    explicit TfrmTab(QWidget* parent = nullptr);
};
