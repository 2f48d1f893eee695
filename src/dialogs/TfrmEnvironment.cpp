#include "TfrmEnvironment.h"

#include "app/sprache.h"

TfrmEnvironment::TfrmEnvironment(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEnvironment"));
    setWindowTitle(QStringLiteral("Umgebungsoptionen"));
    sprache::RegisterWindow(this);
}
