#include "Update_Unit.h"

#include "app/sprache.h"

TfrmUpdate::TfrmUpdate(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUpdate"));
    setWindowTitle(QStringLiteral("Update"));
    sprache::RegisterWindow(this);
}
