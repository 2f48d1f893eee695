#pragma once

#include "editor/PlainTextEditLines.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The renumber dialog: start value and step. It shows RenumberStart and RenumberStep each time it
// opens, and OK stores the converted boxes back (a box that does not convert reports the conversion
// error; the dialog closes anyway and that value, and any value after it, keeps its old content). Only
// Cancel (or Esc) clears RenumberConfirmed; the close box leaves it set.
class TfrmReNum final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmReNum)

public:
    explicit TfrmReNum(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormActivate();
    void BitBtnOKClick();
    void BitBtnCancelClick();

    QGroupBox* gboxWerte;
    QLabel* lblStartwert;
    QLineEdit* txtStartwert;
    QLabel* lblSchrittweite;
    QLineEdit* txtSchrittweite;
    QPushButton* BitBtnCancel;
    QPushButton* BitBtnOK;
};

// Shows the dialog the way the renumber command does: RenumberConfirmed is set, the dialog runs
// modally, and the result tells whether the command goes on (false only after Cancel or Esc).
bool runRenumberDialog(TfrmReNum& dialog);

enum class RenumberCommandResult {
    Cancelled,   // nothing changed, not even the order of the lines
    TooFewLines, // sorted (and cleaned up), one line or none: the caret was not moved
    Completed,   // the caret stands at the start of the text; the caller clears the modified state
};

// The whole renumber command on the editor pane: dialog, sort, renumber, one edit written back, caret
// at the start. The listener receives the change notifications (see PlainTextEditLines). Throws
// EConvertError from the sort (with the sort's partial result written back) or from a reference that
// does not convert (with the sorted lines written back and nothing renumbered).
RenumberCommandResult runRenumberCommand(TfrmReNum& dialog, QPlainTextEdit* pane, bool& sortCleanupPending,
                                         const PlainTextEditLines::ChangeListener& listener);

// The two labelled boxes "Startwert:" and "Schrittweite:" (both "10") that the renumber and the
// auto-number dialogs share, laid out in the given group box.
void addStartStepFields(QGroupBox* box, QLabel*& lblStartwert, QLineEdit*& txtStartwert, QLabel*& lblSchrittweite,
                        QLineEdit*& txtSchrittweite);
