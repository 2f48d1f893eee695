#include "Info_Unit.h"

#include "app/sprache.h"

TfrmInfo::TfrmInfo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Information"));
    sprache::RegisterWindow(this);
}
