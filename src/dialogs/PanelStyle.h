#pragma once

#include <QFlags>
#include <QFont>
#include <QString>

// The look of one of the two preview panels of the line-parameter dialog: the parameter panel
// ("9600,8,N,1") and the handshake panel. Kept for the running program only. Colours are Windows
// colour values, as everywhere in the program's settings.
struct PanelStyle {
    enum class FontStyle { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8 };
    Q_DECLARE_FLAGS(FontStyles, FontStyle)

    QString fontName;
    quint32 fontColor = 0;
    int fontSize = 0; // points
    FontStyles fontStyle;
    quint32 background = 0;

    // Face, size and style as a font (a size of 0 or less leaves the font's own size).
    QFont font() const;
    // Takes face, size and style from a font; colours stay.
    void setFont(const QFont& font);

    friend bool operator==(const PanelStyle&, const PanelStyle&) = default;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(PanelStyle::FontStyles)
