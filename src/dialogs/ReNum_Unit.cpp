#include "dialogs/ReNum_Unit.h"

#include "dialogs/DialogFrame.h"
#include "basic/LineSyntax.h"
#include "basic/Renumber.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

void addStartStepFields(QGroupBox* box, QLabel*& lblStartwert, QLineEdit*& txtStartwert, QLabel*& lblSchrittweite,
                        QLineEdit*& txtSchrittweite)
{
    lblStartwert = new QLabel(QStringLiteral("Startwert:"), box);
    lblStartwert->setObjectName(QStringLiteral("lblStartwert"));
    txtStartwert = new QLineEdit(QStringLiteral("10"), box);
    txtStartwert->setObjectName(QStringLiteral("txtStartwert"));
    lblSchrittweite = new QLabel(QStringLiteral("Schrittweite:"), box);
    lblSchrittweite->setObjectName(QStringLiteral("lblSchrittweite"));
    txtSchrittweite = new QLineEdit(QStringLiteral("10"), box);
    txtSchrittweite->setObjectName(QStringLiteral("txtSchrittweite"));
    lblStartwert->setBuddy(txtStartwert);
    lblSchrittweite->setBuddy(txtSchrittweite);

    auto* values = new QGridLayout(box);
    values->addWidget(lblStartwert, 0, 0);
    values->addWidget(txtStartwert, 0, 1);
    values->addWidget(lblSchrittweite, 1, 0);
    values->addWidget(txtSchrittweite, 1, 1);
}

TfrmReNum::TfrmReNum(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmReNum"));
    setWindowTitle(QStringLiteral("ReNummerierung"));

    gboxWerte = new QGroupBox(QStringLiteral("Werte einstellen"), this);
    gboxWerte->setObjectName(QStringLiteral("gboxWerte"));
    addStartStepFields(gboxWerte, lblStartwert, txtStartwert, lblSchrittweite, txtSchrittweite);

    BitBtnCancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);
    BitBtnOK = new QPushButton(QStringLiteral("&OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnCancel);
    buttons->addWidget(BitBtnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gboxWerte);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    closeWith(this, BitBtnOK, Accepted, [this] { BitBtnOKClick(); });
    closeWith(this, BitBtnCancel, Rejected, [this] { BitBtnCancelClick(); });
}

void TfrmReNum::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    FormActivate();
}

void TfrmReNum::keyPressEvent(QKeyEvent* event)
{
    // Esc presses the Cancel button (the plain dialog would only close, which here means "go on").
    if (isPlainEscape(event)) {
        BitBtnCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmReNum::FormActivate()
{
    txtStartwert->setText(QString::number(RenumberStart));
    txtSchrittweite->setText(QString::number(RenumberStep));
    txtStartwert->setFocus(Qt::OtherFocusReason);
    txtStartwert->selectAll();
}

void TfrmReNum::BitBtnOKClick()
{
    try {
        RenumberStart = StrToInt(txtStartwert->text());
        RenumberStep = StrToInt(txtSchrittweite->text());
    } catch (const EConvertError& e) {
        showError(e);
    }
}

void TfrmReNum::BitBtnCancelClick() { RenumberConfirmed = false; }

bool runRenumberDialog(TfrmReNum& dialog)
{
    RenumberConfirmed = true;
    dialog.exec();
    return RenumberConfirmed;
}

RenumberCommandResult runRenumberCommand(TfrmReNum& dialog, QPlainTextEdit* pane, bool& sortCleanupPending,
                                         const PlainTextEditLines::ChangeListener& listener)
{
    if (!runRenumberDialog(dialog))
        return RenumberCommandResult::Cancelled;
    PlainTextEditLines lines(pane, listener);
    const RenumberOutcome outcome = RenumberProgram(lines, RenumberStart, RenumberStep, sortCleanupPending);
    lines.commit();
    if (outcome == RenumberOutcome::TooFewLines)
        return RenumberCommandResult::TooFewLines;
    pane->moveCursor(QTextCursor::Start);
    return RenumberCommandResult::Completed;
}
