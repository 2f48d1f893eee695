// The printed listing's pages as the painter is told to draw them: where each text stands, in which font,
// on which page; recorded by a paint device that keeps every text item instead of drawing it.

#include "editor/ProgramListing.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTest>

#include <algorithm>

namespace {

struct DrawnText {
    int page;
    QPointF baseline; // in the painter's coordinates, before its transform
    QString text;
    QFont font;
    QTransform transform;
    QBrush brush;
};

// An area filled behind the text.
struct Fill {
    int page;
    QRectF area;
    QColor color;
};

// Keeps the painter's state and every text item; draws nothing.
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
            m_brush = state.brush();
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath& path) override { fills.append({page, path.boundingRect(), m_brush.color()}); }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        texts.append({page, p, item.text(), item.font(), m_transform, m_brush});
    }
    Type type() const override { return QPaintEngine::User; }

    int page = 1;
    QList<DrawnText> texts;
    QList<Fill> fills;

private:
    QTransform m_transform;
    QBrush m_brush;
};

// An A4 page's printable area at the given resolution.
class RecordingDevice final : public QPaintDevice {
public:
    explicit RecordingDevice(int dpi) : m_dpi(dpi) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    RecordingEngine& engine() { return m_engine; }

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
    mutable RecordingEngine m_engine;
};

QStringList programOf(int lines)
{
    QStringList program;
    for (int i = 1; i <= lines; ++i)
        program.append(QStringLiteral("%1 PRINT \"Zeile %2\"").arg(i * 10).arg(i));
    return program;
}

// Prints the listing's pages on the device as a job would, counting the device's pages.
QList<DrawnText> printed(RecordingDevice& device, const ProgramListing& listing, const QList<int>& pages)
{
    QPainter painter(&device);
    const bool complete = listing.paint(painter, pages, [&device] {
        ++device.engine().page;
        return true;
    });
    return complete ? device.engine().texts : QList<DrawnText>();
}

qreal ascentOf(bool bold, const QPaintDevice& device)
{
    return QFontMetricsF(ProgramListing::font(bold), &device).ascent();
}

} // namespace

class ProgramListingTest : public QObject {
    Q_OBJECT

private slots:
    void pages_holdFiftyNineLinesUnderTheirHeader_data();
    void pages_holdFiftyNineLinesUnderTheirHeader();
    void everyText_inCourierNewFourMillimetresOnWhite();
    void units_areTenthsOfAMillimetreOnAnyResolution();
    void chosenPages_onlyThoseThatExistInOrder();
    void failedNewPage_stopsThePrint();
};

void ProgramListingTest::pages_holdFiftyNineLinesUnderTheirHeader_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<QList<int>>("linesPerPage");
    QTest::newRow("0 lines") << 0 << QList<int>{};
    QTest::newRow("1 line") << 1 << QList<int>{1};
    QTest::newRow("59 lines") << 59 << QList<int>{59};
    QTest::newRow("60 lines") << 60 << QList<int>{59, 1};
    QTest::newRow("120 lines") << 120 << QList<int>{59, 59, 2};
}

void ProgramListingTest::pages_holdFiftyNineLinesUnderTheirHeader()
{
    QFETCH(int, lines);
    QFETCH(QList<int>, linesPerPage);
    const ProgramListing listing(programOf(lines), "/home/anna/prog.bas");
    QCOMPARE(listing.pageCount(), linesPerPage.size());

    RecordingDevice device(254); // one device pixel to the unit: what is drawn is where it lands
    const QList<DrawnText> texts = printed(device, listing, listing.pagesIn({}));
    QCOMPARE(texts.size(), lines + linesPerPage.size());
    QCOMPARE(device.engine().page, std::max<qsizetype>(1, linesPerPage.size()));

    const qreal headerAscent = ascentOf(true, device);
    const qreal lineAscent = ascentOf(false, device);
    int t = 0;
    int programLine = 0;
    for (int page = 1; page <= linesPerPage.size(); ++page) {
        const DrawnText& header = texts[t++];
        QCOMPARE(header.page, page);
        QCOMPARE(header.text, QString("/home/anna/prog.bas   / Seite: %1").arg(page));
        QVERIFY(header.font.bold());
        QCOMPARE(header.baseline, QPointF(150, 80 + headerAscent));
        for (int k = 1; k <= linesPerPage[page - 1]; ++k) {
            const DrawnText& line = texts[t++];
            QCOMPARE(line.page, page);
            QCOMPARE(line.text, programOf(lines)[programLine++]);
            QVERIFY(!line.font.bold());
            QCOMPARE(line.baseline, QPointF(150, 150 + 43 * k + lineAscent));
        }
    }
    QCOMPARE(programLine, lines);
    if (lines >= 59) // the first and last line of a full page
        QCOMPARE(texts[59].baseline.y() - lineAscent, 2687.0);
}

void ProgramListingTest::everyText_inCourierNewFourMillimetresOnWhite()
{
    const ProgramListing listing(programOf(3), "prog.bas");
    RecordingDevice device(254);
    const QList<DrawnText> texts = printed(device, listing, {1});
    QCOMPARE(texts.size(), 4);
    const QList<Fill>& fills = device.engine().fills;
    for (const DrawnText& t : texts) {
        QCOMPARE(t.font.family(), QString("Courier New"));
        QCOMPARE(t.font.pixelSize(), 40);
        QCOMPARE(t.brush.color(), QColor(Qt::white));
        // White is filled behind the text, above and below its baseline.
        const bool behind = std::any_of(fills.begin(), fills.end(), [&](const Fill& f) {
            return f.color == Qt::white && f.area.left() <= t.baseline.x() && f.area.right() > t.baseline.x() &&
                   f.area.top() < t.baseline.y() - 20 && f.area.bottom() > t.baseline.y();
        });
        QVERIFY2(behind, qPrintable(t.text));
    }
}

void ProgramListingTest::units_areTenthsOfAMillimetreOnAnyResolution()
{
    const ProgramListing listing(programOf(1), "prog.bas");
    RecordingDevice device(1200);
    const QList<DrawnText> texts = printed(device, listing, {1});
    QCOMPARE(texts.size(), 2);
    // 4 mm at 1200 dpi are 189 device pixels; the first line's top lies 19.3 mm down.
    const QTransform& toDevice = texts[1].transform;
    QCOMPARE(toDevice.m11(), 1200 / 254.0);
    QCOMPARE(toDevice.m22(), 1200 / 254.0);
    QCOMPARE(toDevice.dx(), 0.0);
    QCOMPARE(toDevice.dy(), 0.0);
    QCOMPARE(toDevice.map(QPointF(150, 193)), QPointF(150 * 1200 / 254.0, 193 * 1200 / 254.0));
    QCOMPARE(texts[1].baseline.x(), 150.0);
}

void ProgramListingTest::chosenPages_onlyThoseThatExistInOrder()
{
    const ProgramListing listing(programOf(200), "prog.bas"); // four pages
    QPageRanges ranges;
    ranges.addRange(2, 2);
    ranges.addRange(4, 9);
    QCOMPARE(listing.pagesIn(ranges), (QList<int>{2, 4}));
    QCOMPARE(listing.pagesIn({}), (QList<int>{1, 2, 3, 4}));
    QPageRanges beyond;
    beyond.addRange(5, 6);
    QCOMPARE(listing.pagesIn(beyond), QList<int>{});

    // Page 2 alone: its own header and the 59 lines that follow the first page's.
    RecordingDevice device(254);
    const QList<DrawnText> texts = printed(device, listing, {2});
    QCOMPARE(texts.size(), 60);
    QCOMPARE(texts.first().text, QString("prog.bas   / Seite: 2"));
    QCOMPARE(texts[1].text, QString("600 PRINT \"Zeile 60\""));
    QCOMPARE(texts.last().text, QString("1180 PRINT \"Zeile 118\""));
    QCOMPARE(device.engine().page, 1);
}

void ProgramListingTest::failedNewPage_stopsThePrint()
{
    const ProgramListing listing(programOf(120), "prog.bas");
    RecordingDevice device(254);
    int asked = 0;
    QPainter painter(&device);
    QVERIFY(!listing.paint(painter, listing.pagesIn({}), [&asked] { return ++asked < 2; }));
    QCOMPARE(asked, 2);
    // Pages 1 and 2 were painted; nothing of page 3 was.
    QCOMPARE(device.engine().texts.size(), 2 * 60);
    QCOMPARE(device.engine().texts.last().text, QString("1180 PRINT \"Zeile 118\""));
}

QTEST_MAIN(ProgramListingTest)
#include "tst_programlisting.moc"
