// The printed listing's pages as the painter is told to draw them: where each text stands, in which font,
// on which page and on what; recorded by a paint device that keeps every text item instead of drawing it.

#include "editor/ProgramListing.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <algorithm>

namespace {

struct Drawn {
    int page;
    QPointF at; // a text's baseline start or a fill's top-left, before the painter's transform
    QRectF area;
    QString text; // empty for a fill
    QFont font;
    QColor brush;
    QTransform transform;
};

// Keeps every text item and filled area with the page and state it was drawn in; draws nothing.
class RecordingEngine final : public QPaintEngine {
public:
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyTransform)
            m_transform = state.transform();
        if (state.state() & DirtyBrush)
            m_brush = state.brush().color();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath& path) override
    {
        fills.append({page, path.boundingRect().topLeft(), path.boundingRect(), {}, {}, m_brush, m_transform});
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        texts.append({page, p, {}, item.text(), item.font(), m_brush, m_transform});
    }
    Type type() const override { return QPaintEngine::User; }

    int page = 1;
    QList<Drawn> texts, fills;

private:
    QTransform m_transform;
    QColor m_brush;
};

// The printable area of an A4 sheet at the given resolution.
class RecordingDevice final : public QPaintDevice {
public:
    explicit RecordingDevice(int dpi) : m_dpi(dpi) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return 2000 * m_dpi / 254;
        case PdmHeight:
            return 2870 * m_dpi / 254;
        case PdmWidthMM:
            return 200;
        case PdmHeightMM:
            return 287;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return INT_MAX;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    int m_dpi;
};

QStringList programOf(int lines)
{
    QStringList program;
    for (int i = 1; i <= lines; ++i)
        program.append(QStringLiteral("%1 PRINT %2").arg(i * 10).arg(i));
    return program;
}

} // namespace

class ProgramListingTest : public QObject {
    Q_OBJECT

private slots:
    void pages_fiftyNineLinesUnderABoldHeaderInTenthsOfAMillimetre_data();
    void pages_fiftyNineLinesUnderABoldHeaderInTenthsOfAMillimetre();
};

void ProgramListingTest::pages_fiftyNineLinesUnderABoldHeaderInTenthsOfAMillimetre_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<QList<int>>("linesPerPage");
    QTest::newRow("0 lines") << 0 << 254 << QList<int>{};
    QTest::newRow("1 line") << 1 << 254 << QList<int>{1};
    QTest::newRow("59 lines") << 59 << 254 << QList<int>{59};
    QTest::newRow("60 lines") << 60 << 254 << QList<int>{59, 1};
    QTest::newRow("120 lines") << 120 << 254 << QList<int>{59, 59, 2};
    QTest::newRow("120 lines at 1200 dpi") << 120 << 1200 << QList<int>{59, 59, 2};
}

void ProgramListingTest::pages_fiftyNineLinesUnderABoldHeaderInTenthsOfAMillimetre()
{
    QFETCH(int, lines);
    QFETCH(int, dpi);
    QFETCH(QList<int>, linesPerPage);
    const ProgramListing listing(programOf(lines), "/home/anna/prog.bas");
    QCOMPARE(listing.pageCount(), linesPerPage.size());

    RecordingDevice device(dpi);
    {
        QPainter painter(&device);
        QVERIFY(listing.paint(painter, listing.pagesIn({}), [&device] {
            ++device.engine.page;
            return true;
        }));
    }
    const QList<Drawn>& texts = device.engine.texts;
    QCOMPARE(texts.size(), lines + linesPerPage.size());
    QCOMPARE(device.engine.page, std::max<qsizetype>(1, linesPerPage.size()));

    // The painter places text by its baseline; the listing's positions are those of the text's top.
    const qreal headerAscent = QFontMetricsF(ProgramListing::font(true), &device).ascent();
    const qreal lineAscent = QFontMetricsF(ProgramListing::font(false), &device).ascent();
    int t = 0;
    for (int page = 1; page <= linesPerPage.size(); ++page) {
        QCOMPARE(texts[t].page, page);
        QCOMPARE(texts[t].text, QString("/home/anna/prog.bas   / Seite: %1").arg(page));
        QVERIFY(texts[t].font.bold());
        QCOMPARE(texts[t].at, QPointF(150, 80 + headerAscent));
        ++t;
        for (int k = 1; k <= linesPerPage[page - 1]; ++k, ++t) {
            QCOMPARE(texts[t].page, page);
            QCOMPARE(texts[t].text, programOf(lines)[t - page]);
            QVERIFY(!texts[t].font.bold());
            QCOMPARE(texts[t].at, QPointF(150, 150 + 43 * k + lineAscent));
        }
    }
    if (lines >= 59) // the last line of a full page
        QCOMPARE(texts[59].at.y() - lineAscent, 2687.0);

    for (const Drawn& text : texts) {
        QCOMPARE(text.font.family(), QString("Courier New"));
        QCOMPARE(text.font.pixelSize(), 40); // 4 mm
        QCOMPARE(text.transform, QTransform::fromScale(dpi / 254.0, dpi / 254.0));
        // White behind the text, above and below its baseline.
        const bool behind = std::any_of(device.engine.fills.begin(), device.engine.fills.end(), [&](const Drawn& f) {
            return f.page == text.page && f.brush == Qt::white && f.area.left() <= text.at.x() &&
                   f.area.right() > text.at.x() && f.area.top() < text.at.y() - 20 && f.area.bottom() > text.at.y();
        });
        QVERIFY2(behind, qPrintable(text.text));
    }
}

QTEST_MAIN(ProgramListingTest)
#include "tst_programlisting.moc"
