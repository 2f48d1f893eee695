#pragma once

#include <QDialog>

// The function-key window: a small tool window that the user shows and hides from the Extras menu.
// It is created hidden, at the position stored in the settings.
class TfrmFTaste final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmFTaste)

public:
    explicit TfrmFTaste(QWidget* parent = nullptr);

    void FormCreate();
};
