#pragma once

#include <QColor>

// Colours are stored as Windows colour values (0x00BBGGRR; with the top bit set, the low byte names a
// system colour such as the window-text colour), so that a settings file keeps its meaning. They
// become QColor only where they are shown.
QColor winColorToQColor(quint32 value);

// A plain colour as a Windows colour value.
quint32 qColorToWinColor(const QColor& color);
