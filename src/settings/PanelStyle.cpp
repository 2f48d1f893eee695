#include "settings/PanelStyle.h"

namespace GlobVar {

PanelStyle ParameterPanelStyle;
PanelStyle HandshakePanelStyle;

} // namespace GlobVar

QFont PanelStyle::font() const
{
    QFont f(fontName);
    if (fontSize > 0)
        f.setPointSize(fontSize);
    f.setBold(fontStyle & Bold);
    f.setItalic(fontStyle & Italic);
    f.setUnderline(fontStyle & Underline);
    f.setStrikeOut(fontStyle & StrikeOut);
    return f;
}

void PanelStyle::setFont(const QFont& font)
{
    fontName = font.family();
    // A font sized in pixels has no point size; at the usual 96 dots per inch, 4 pixels are 3 points.
    fontSize = font.pointSize() > 0 ? font.pointSize() : (font.pixelSize() * 3 + 2) / 4;
    fontStyle = (font.bold() ? Bold : 0u) | (font.italic() ? Italic : 0u) | (font.underline() ? Underline : 0u) |
                (font.strikeOut() ? StrikeOut : 0u);
}
