#pragma once

#include <QFont>
#include <QList>
#include <QPageRanges>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;

// The editor's program as a printed listing: one program line per printed line in a fixed-pitch font,
// 59 lines to a page, each page headed by the document's name and the page number. It is laid out in
// units of 0.1 mm from the top-left corner of the printable area, so a page looks the same on every
// printer and in the preview; a line wider than the page is neither wrapped nor cut (the device clips).
class ProgramListing final {
public:
    static constexpr int LinesPerPage = 59;
    // Where the header and line k (1 ... LinesPerPage) of a page stand: the top-left corner of the text.
    static constexpr int Left = 150;
    static constexpr int HeaderTop = 80;
    static constexpr int LinesTop = 150;
    static constexpr int LineStep = 43;
    // The height of the characters (4 mm).
    static constexpr int CharacterHeight = 40;

    ProgramListing(QStringList lines, QString documentName);

    int lineCount() const { return int(m_lines.size()); }
    int pageCount() const { return (lineCount() + LinesPerPage - 1) / LinesPerPage; }
    // "name   / Seite: n"; the word is German in both languages.
    QString header(int page) const;
    static int lineTop(int lineOnPage) { return LinesTop + LineStep * lineOnPage; }
    static QFont font(bool bold);

    // The pages of the listing that `ranges` names, in order; every page when `ranges` is empty.
    QList<int> pagesIn(const QPageRanges& ranges) const;

    // Puts the painter into the listing's units (0.1 mm, y growing downwards) for its device, with the
    // listing's font and white behind the text.
    static void prepare(QPainter& painter);
    // Paints one page (1 ... pageCount()) on a prepared painter.
    void paintPage(QPainter& painter, int page) const;
    // Prepares the painter and paints the pages one after the other, asking `newPage` for a fresh sheet
    // between two. Returns false, with the rest unpainted, when a new sheet could not be started.
    bool paint(QPainter& painter, const QList<int>& pages, const std::function<bool()>& newPage) const;

private:
    QStringList m_lines;
    QString m_documentName;
};
