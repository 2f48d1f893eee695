#include "dialogs/PanelStyle.h"

QFont PanelStyle::font() const
{
    QFont f(fontName);
    if (fontSize > 0)
        f.setPointSize(fontSize);
    f.setBold(fontStyle.testFlag(FontStyle::Bold));
    f.setItalic(fontStyle.testFlag(FontStyle::Italic));
    f.setUnderline(fontStyle.testFlag(FontStyle::Underline));
    f.setStrikeOut(fontStyle.testFlag(FontStyle::StrikeOut));
    return f;
}

void PanelStyle::setFont(const QFont& font)
{
    fontName = font.family();
    // A font given in pixels has no point size; the size then stays as it was.
    if (font.pointSize() > 0)
        fontSize = font.pointSize();
    fontStyle = {};
    fontStyle.setFlag(FontStyle::Bold, font.bold());
    fontStyle.setFlag(FontStyle::Italic, font.italic());
    fontStyle.setFlag(FontStyle::Underline, font.underline());
    fontStyle.setFlag(FontStyle::StrikeOut, font.strikeOut());
}
