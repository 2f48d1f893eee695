#pragma once

#include <QString>

// The caret panel's text for a zero-based line and column: "  Z: %3d   S: %3d", counted from 1. Both
// panes show their caret in it; a number wider than three places takes the room it needs.
QString caretPanelText(int line, int column);
