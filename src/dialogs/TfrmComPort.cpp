#include "TfrmComPort.h"

#include "app/sprache.h"

TfrmComPort::TfrmComPort(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmComPort"));
    setWindowTitle(QStringLiteral("Com-Port"));
    sprache::RegisterWindow(this);
}
