#include "editor/ProgramListing.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <utility>

namespace {

// Device pixels per listing unit of 0.1 mm (25.4 mm to the inch).
constexpr double UnitsPerInch = 254.0;

} // namespace

ProgramListing::ProgramListing(QStringList lines, QString documentName)
    : m_lines(std::move(lines)), m_documentName(std::move(documentName))
{
}

QString ProgramListing::header(int page) const
{
    return m_documentName + QStringLiteral("   / Seite: ") + QString::number(page);
}

QFont ProgramListing::font(bool bold)
{
    QFont f(QStringLiteral("Courier New"));
    // Where that face is missing, the stand-in must still be fixed-pitch, or the columns go astray.
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPixelSize(CharacterHeight);
    f.setBold(bold);
    return f;
}

QList<int> ProgramListing::pagesIn(const QPageRanges& ranges) const
{
    QList<int> pages;
    for (int page = 1; page <= pageCount(); ++page)
        if (ranges.isEmpty() || ranges.contains(page))
            pages.append(page);
    return pages;
}

void ProgramListing::prepare(QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    painter.resetTransform();
    painter.scale(device->logicalDpiX() / UnitsPerInch, device->logicalDpiY() / UnitsPerInch);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.setBackground(Qt::white);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setFont(font(false));
}

void ProgramListing::paintPage(QPainter& painter, int page) const
{
    // The positions are those of the text's top; the painter places text by its baseline.
    const auto ascent = [&painter] { return QFontMetricsF(painter.font(), painter.device()).ascent(); };
    const QFont plain = painter.font();
    QFont bold = plain;
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(QPointF(Left, HeaderTop + ascent()), header(page));
    painter.setFont(plain);

    const qreal lineAscent = ascent();
    const int first = (page - 1) * LinesPerPage;
    const int last = std::min(first + LinesPerPage, lineCount());
    for (int i = first; i < last; ++i)
        painter.drawText(QPointF(Left, lineTop(i - first + 1) + lineAscent), m_lines[i]);
}

bool ProgramListing::paint(QPainter& painter, const QList<int>& pages, const std::function<bool()>& newPage) const
{
    prepare(painter);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !newPage())
            return false;
        paintPage(painter, pages[i]);
    }
    return true;
}
