#include "TfrmEnvironment.h"

TfrmEnvironment::TfrmEnvironment(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmEnvironment"));
    setWindowTitle(QStringLiteral("Umgebungsoptionen"));
}
