#include "basic/AutoNumber.h"

bool AutoNumberOn = false;
qint32 AutoNumberNext = 0;
qint32 AutoNumberStep = 0;

QString SwitchAutoNumberOn(qint32 start, qint32 step)
{
    AutoNumberOn = true;
    AutoNumberNext = start;
    AutoNumberStep = step;
    return QString::number(AutoNumberNext);
}

void SwitchAutoNumberOff() { AutoNumberOn = false; }
