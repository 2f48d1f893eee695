#include "dialogs/TfrmTab.h"

#include "basic/LineSyntax.h"
#include "dialogs/DialogFrame.h"
#include "platform/Errors.h"
#include "platform/Prompts.h"
#include "settings/GlobVar_Unit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TfrmTab::TfrmTab(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmTab"));
    setWindowTitle(QStringLiteral("Tabulator"));
    setFixedSize(218, 123);

    lblSchrittweite = new QLabel(QStringLiteral("Schrittweite:"), this);
    lblSchrittweite->setObjectName(QStringLiteral("lblSchrittweite"));
    QFont bold = lblSchrittweite->font();
    bold.setBold(true);
    lblSchrittweite->setFont(bold);
    lblSchrittweite->setGeometry(24, 24, 96, 21);

    txtTabStep = new QLineEdit(QStringLiteral("8"), this);
    txtTabStep->setObjectName(QStringLiteral("txtTabStep"));
    txtTabStep->setFont(bold);
    txtTabStep->setStyleSheet(QStringLiteral("QLineEdit { color: blue; }"));
    txtTabStep->setGeometry(128, 22, 57, 25);
    lblSchrittweite->setBuddy(txtTabStep);

    BitBtnOK = new QPushButton(QStringLiteral("&OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    BitBtnOK->setGeometry(16, 76, 87, 29);
    BitBtnCancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    BitBtnCancel->setAutoDefault(false);
    BitBtnCancel->setGeometry(115, 76, 87, 29);

    closeWith(this, BitBtnOK, Accepted, [this] { BitBtnOKClick(); });
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmTab::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    FormActivate();
}

void TfrmTab::FormActivate()
{
    txtTabStep->setText(QString::number(GlobVar::TabStep));
    txtTabStep->setFocus(Qt::OtherFocusReason);
    txtTabStep->selectAll();
}

void TfrmTab::BitBtnOKClick()
{
    try {
        GlobVar::TabStep = StrToInt(txtTabStep->text());
    } catch (const EConvertError& e) {
        showError(e);
    }
}
