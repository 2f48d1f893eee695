#include "TfrmFTaste.h"

#include "app/GlobVar_Unit.h"
#include "app/sprache.h"

TfrmFTaste::TfrmFTaste(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frmFTaste"));
    setWindowTitle(QStringLiteral("F-Tasten-Belegung"));
    setFixedSize(357, 116);
    sprache::RegisterWindow(this);
    FormCreate();
}

void TfrmFTaste::FormCreate() { move(GlobVar::FTasteWindowLeft, GlobVar::FTasteWindowTop); }
