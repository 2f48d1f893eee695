#include "TfrmEinstFarben.h"

#include "app/sprache.h"

TfrmEinstFarben::TfrmEinstFarben(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEinstFarben"));
    setWindowTitle(QStringLiteral("Farben einstellen"));
    sprache::RegisterWindow(this);
}
