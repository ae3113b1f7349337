#include "KindTabBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace {

QPixmap makeCloseGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x99, 0x22, 0x22), 2));
    p.drawLine(QPointF(4, 4), QPointF(12, 12));
    p.drawLine(QPointF(12, 4), QPointF(4, 12));
    return pixmap;
}

} // namespace

KindTabBar::KindTabBar(QWidget *parent) : QTabBar(parent), m_closeGlyph(makeCloseGlyph())
{
    setObjectName(QStringLiteral("pgcMainTabs"));
    setExpanding(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideRight);
}

QSize KindTabBar::tabSizeHint(int index) const
{
    return QSize(TabWidth, QTabBar::tabSizeHint(index).height());
}

QSize KindTabBar::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

void KindTabBar::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        option.text.clear();
        painter.drawControl(QStyle::CE_TabBarTabShape, option);
        const QRect r = tabRect(i);
        const bool active = i == currentIndex();
        painter.setPen(active ? QColor(Qt::blue) : palette().color(QPalette::WindowText));
        const QRect textRect(r.left() + 8, r.top() + 5, GlyphLeft - 8, r.height() - 5);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop,
                         fontMetrics().elidedText(tabText(i), Qt::ElideRight, textRect.width()));
        if (active)
            painter.drawPixmap(r.left() + GlyphLeft, r.top() + 3, m_closeGlyph);
    }
}

void KindTabBar::mousePressEvent(QMouseEvent *event)
{
    QTabBar::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || count() == 0)
        return;
    // The active tab as it is after the press has activated the tab under the pointer.
    const int active = currentIndex();
    const int x = event->position().toPoint().x();
    const int left = tabRect(active).left();
    if (x > left + GlyphLeft && x < left + GlyphRight)
        Q_EMIT closeRequested(tabAt(event->position().toPoint()));
}

void KindTabBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && count() > 0) {
        Q_EMIT closeRequested(tabAt(event->position().toPoint()));
        return;
    }
    QTabBar::mouseDoubleClickEvent(event);
}
