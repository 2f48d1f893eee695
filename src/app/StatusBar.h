#pragma once

#include <QVector>
#include <QWidget>

#include <functional>

// A status bar of fixed panels, each with its own width, alignment and bevel. Widths are kept as set,
// also when negative (a panel squeezed to nothing); the last panel extends to the right edge. A panel
// that fits its text is shown at least as wide as its text needs, so that nothing is cut off.
// Small widgets (the clock, the overwrite indicator) can be children of the bar: they travel with it
// wherever the layout puts it, and resized() tells their owner when to place them again.
class StatusBar final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusBar)

public:
    struct Panel {
        QString text;
        int width = 50;
        Qt::Alignment alignment = Qt::AlignLeft;
        bool bevel = true;
        bool fitText = false;
    };

    explicit StatusBar(QWidget* parent = nullptr);

    void addPanel(const Panel& panel);
    int panelCount() const { return int(m_panels.size()); }
    QString panelText(int index) const { return m_panels.value(index).text; }
    void setPanelText(int index, const QString& text);
    int panelWidth(int index) const { return m_panels.value(index).width; }
    void setPanelWidth(int index, int width);
    // The width the panel is drawn with: its width, or more for a panel that fits its text.
    int shownWidth(int index) const;
    // Left edge of a panel in the bar's coordinates.
    int panelLeft(int index) const;
    // A panel's tool tip, asked for each time it is shown, so that it tells the state of that moment.
    void setPanelToolTip(int index, std::function<QString()> source);
    QString panelToolTip(int index) const;
    // The panel at a point of the bar, or -1.
    int panelAt(const QPoint& point) const;

    QSize sizeHint() const override;

signals:
    void resized();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int drawnWidth(int index, int left) const;

    QVector<Panel> m_panels;
    QVector<std::function<QString()>> m_toolTips;
};
