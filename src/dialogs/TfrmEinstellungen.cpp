#include "TfrmEinstellungen.h"

#include "app/sprache.h"

TfrmEinstellungen::TfrmEinstellungen(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEinstellungen"));
    setWindowTitle(QStringLiteral("Einstellungen"));
    sprache::RegisterWindow(this);
}
