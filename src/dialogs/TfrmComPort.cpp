#include "TfrmComPort.h"

TfrmComPort::TfrmComPort(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmComPort"));
    setWindowTitle(QStringLiteral("Com-Port"));
}
