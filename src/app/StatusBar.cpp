#include "StatusBar.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

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

void StatusBar::setPanelToolTip(int index, std::function<QString()> source)
{
    if (index < 0 || index >= m_panels.size())
        return;
    m_toolTips.resize(m_panels.size());
    m_toolTips[index] = std::move(source);
}

QString StatusBar::panelToolTip(int index) const
{
    const auto& source = m_toolTips.value(index);
    return source ? source() : QString();
}

int StatusBar::drawnWidth(int index, int left) const
{
    return index + 1 == m_panels.size() ? qMax(0, width() - left) : shownWidth(index);
}

int StatusBar::panelAt(const QPoint& point) const
{
    if (!rect().contains(point))
        return -1;
    int x = 0;
    for (int i = 0; i < m_panels.size(); ++i) {
        const int w = drawnWidth(i, x);
        if (point.x() >= x && point.x() < x + w)
            return i;
        x += w;
    }
    return -1;
}

bool StatusBar::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = panelToolTip(panelAt(help->pos()));
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
}

QSize StatusBar::sizeHint() const { return {panelLeft(int(m_panels.size())), 23}; }

void StatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    int x = 0;
    for (int i = 0; i < m_panels.size(); ++i) {
        const Panel& p = m_panels[i];
        const int w = drawnWidth(i, x);
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
