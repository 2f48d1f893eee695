#include "StatusBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

StatusBar::StatusBar(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(23);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StatusBar::addPanel(const Panel& panel)
{
    m_panels.append(panel);
    update();
}

void StatusBar::setPanelText(int index, const QString& text)
{
    if (index < 0 || index >= m_panels.size() || m_panels[index].text == text)
        return;
    m_panels[index].text = text;
    update();
}

void StatusBar::setPanelWidth(int index, int width)
{
    if (index < 0 || index >= m_panels.size())
        return;
    m_panels[index].width = width;
    update();
}

int StatusBar::shownWidth(int index) const
{
    if (index < 0 || index >= m_panels.size())
        return 0;
    const Panel& p = m_panels[index];
    if (!p.fitText || p.text.isEmpty())
        return qMax(0, p.width);
    return qMax(p.width, fontMetrics().horizontalAdvance(p.text) + 10);
}

int StatusBar::panelLeft(int index) const
{
    int x = 0;
    for (int i = 0; i < index && i < m_panels.size(); ++i)
        x += shownWidth(i);
    return x;
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

QSize StatusBar::sizeHint() const { return {panelLeft(int(m_panels.size())), 23}; }

void StatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    int x = 0;
    for (int i = 0; i < m_panels.size(); ++i) {
        const Panel& p = m_panels[i];
        const int w = i + 1 == m_panels.size() ? qMax(0, width() - x) : shownWidth(i);
        if (w > 0) {
            const QRect r(x, 1, w - 2, height() - 2);
            if (p.bevel) {
                QStyleOptionFrame frame;
                frame.initFrom(this);
                frame.rect = r;
                frame.lineWidth = 1;
                frame.state |= QStyle::State_Sunken;
                style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);
            }
            painter.drawText(r.adjusted(3, 0, -3, 0), int(p.alignment | Qt::AlignVCenter), p.text);
        }
        x += w;
    }
}
