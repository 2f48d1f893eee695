#include "Update_Unit.h"

TfrmUpdate::TfrmUpdate(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QStringLiteral("Update"));
}
