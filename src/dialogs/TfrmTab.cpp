#include "TfrmTab.h"

#include "app/sprache.h"

TfrmTab::TfrmTab(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTab"));
    setWindowTitle(QStringLiteral("Tabulator"));
    sprache::RegisterWindow(this);
}
