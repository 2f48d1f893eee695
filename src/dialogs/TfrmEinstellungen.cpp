#include "TfrmEinstellungen.h"

TfrmEinstellungen::TfrmEinstellungen(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEinstellungen"));
    setWindowTitle(QStringLiteral("Einstellungen"));
}
