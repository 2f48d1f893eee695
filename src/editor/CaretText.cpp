#include "editor/CaretText.h"

QString caretPanelText(int line, int column) { return QString::asprintf("  Z: %3d   S: %3d", line + 1, column + 1); }
