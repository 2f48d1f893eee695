#include "dialogs/AutoNum_Unit.h"

#include "dialogs/DialogFrame.h"
#include "basic/AutoNumber.h"
#include "basic/LineSyntax.h"
#include "dialogs/ReNum_Unit.h"
#include "editor/PlainTextEditLines.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

qint32 AutoNumStart = 0;
qint32 AutoNumStep = 0;

TfrmAutoNum::TfrmAutoNum(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAutoNum"));
    setWindowTitle(QStringLiteral("Auto-Nummerierung"));

    GroupBox1 = new QGroupBox(QStringLiteral("Vorgaben"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    addStartStepFields(GroupBox1, lblStartwert, txtStartwert, lblSchrittweite, txtSchrittweite);

    BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    closeWith(this, BitBtnOK, Accepted, [this] { BitBtnOKClick(); });
}

void TfrmAutoNum::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

void TfrmAutoNum::keyPressEvent(QKeyEvent* event)
{
    // There is no Cancel button, so Esc does nothing.
    if (isPlainEscape(event)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmAutoNum::BitBtnOKClick()
{
    try {
        if (txtStartwert->text().isEmpty())
            txtStartwert->setText(QStringLiteral("10"));
        AutoNumStart = StrToInt(txtStartwert->text());
        if (txtSchrittweite->text().isEmpty())
            txtSchrittweite->setText(QStringLiteral("10"));
        AutoNumStep = StrToInt(txtSchrittweite->text());
    } catch (const EConvertError& e) {
        showError(e);
    }
}

void toggleAutoNumber(TfrmAutoNum& dialog, QPlainTextEdit* pane, const std::function<void(bool)>& showPressed)
{
    if (AutoNumberOn) {
        showPressed(false);
        SwitchAutoNumberOff();
        return;
    }
    showPressed(true);
    dialog.exec();
    AppendPaneLine(pane, SwitchAutoNumberOn(AutoNumStart, AutoNumStep));
}
