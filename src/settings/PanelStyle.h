#pragma once

#include <QFont>
#include <QString>

// The look of one of the two preview panels of the line-parameter dialog. That dialog copies its
// panels' looks in here each time it is shown and applies them back after the panel colour dialog,
// which edits them. Colours are Windows colour values; the looks are kept for the run only.
struct PanelStyle {
    enum FontStyle : unsigned { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };

    QString fontName;
    quint32 fontColor = 0;
    int fontSize = 8; // points
    unsigned fontStyle = 0;
    quint32 backgroundColor = 0;

    // Face, size and style as a font, and the other way round.
    QFont font() const;
    void setFont(const QFont& font);

    bool operator==(const PanelStyle&) const = default;
};

namespace GlobVar {

// The parameter panel ("9600,8,N,1") and the handshake panel ("Kein Handshake").
extern PanelStyle ParameterPanelStyle;
extern PanelStyle HandshakePanelStyle;

} // namespace GlobVar
