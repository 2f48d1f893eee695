#include "TfrmTab.h"

TfrmTab::TfrmTab(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTab"));
    setWindowTitle(QStringLiteral("Tabulator"));
}
