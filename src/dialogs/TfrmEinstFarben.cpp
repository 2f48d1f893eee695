#include "TfrmEinstFarben.h"

TfrmEinstFarben::TfrmEinstFarben(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEinstFarben"));
    setWindowTitle(QStringLiteral("Farben einstellen"));
}
