#pragma once

#include <QVector>
#include <QWidget>

// A status bar of fixed panels, each with its own width, alignment and bevel. Widths are kept as set,
// also when negative (a panel squeezed to nothing); the last panel extends to the right edge.
class StatusBar final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusBar)

public:
    struct Panel {
        QString text;
        int width = 50;
        Qt::Alignment alignment = Qt::AlignLeft;
        bool bevel = true;
    };

    explicit StatusBar(QWidget* parent = nullptr);

    void addPanel(const Panel& panel);
    int panelCount() const { return int(m_panels.size()); }
    QString panelText(int index) const { return m_panels.value(index).text; }
    void setPanelText(int index, const QString& text);
    int panelWidth(int index) const { return m_panels.value(index).width; }
    void setPanelWidth(int index, int width);
    // Left edge of a panel in the bar's coordinates.
    int panelLeft(int index) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<Panel> m_panels;
};
