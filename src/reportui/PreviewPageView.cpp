#include "PreviewPageView.h"

#include "RendererScale.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace {

// Pages larger than this on screen are drawn straight onto it, not cached.
constexpr qint64 largestCachedPixels = 12'000'000;
constexpr double largestSide = 100'000;

} // namespace

PreviewPageView::PreviewPageView(QWidget *parent) : QAbstractScrollArea(parent)
{
    // The scroll bar stays, so fitting a page to the width never changes the width it fits.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
}

void PreviewPageView::setPages(const QList<PreparedPage> *pages)
{
    m_pages = pages;
    m_images.clear();
    m_highlights.clear();
    m_stressedPage = m_stressedItem = -1;
    m_rendered = 0;
    m_current = 0;
    fitZoom();
    layOut();
    showPage(0);
    viewport()->update();
    Q_EMIT currentPageChanged(0);
}

double PreviewPageView::pixelsPerMm() const
{
    return viewport()->logicalDpiX() / 25.4;
}

// Bounded, so that a page of absurd size from a file can neither vanish nor overflow.
QSizeF PreviewPageView::pageSizePx(int index) const
{
    const QSizeF size = (*m_pages)[index].page.sizeMm() * (pixelsPerMm() * m_zoom);
    return QSizeF(std::clamp(size.width(), 1.0, largestSide),
                  std::clamp(size.height(), 1.0, largestSide));
}

int PreviewPageView::columns() const
{
    return m_mode == ZoomMode::MultiplePages ? pagesSideBySide : 1;
}

void PreviewPageView::setZoom(double zoom)
{
    m_mode = ZoomMode::Fixed;
    applyZoom(zoom);
}

void PreviewPageView::setZoomMode(ZoomMode mode)
{
    const int keep = m_current;
    m_mode = mode;
    fitZoom();
    layOut();
    showPage(keep);
    viewport()->update();
}

void PreviewPageView::applyZoom(double zoom)
{
    const int keep = m_current;
    m_zoom = std::clamp(zoom, minimumZoom, maximumZoom);
    m_images.clear();
    layOut();
    showPage(keep);
    viewport()->update();
    Q_EMIT zoomChanged(m_zoom);
}

// The fitting modes size the current page to the viewport, less the gap on each side.
void PreviewPageView::fitZoom()
{
    if (m_mode == ZoomMode::Fixed || !m_pages || m_pages->isEmpty())
        return;
    const QSizeF mm = (*m_pages)[m_current].page.sizeMm();
    if (mm.isEmpty())
        return;
    const double perMm = pixelsPerMm();
    const int n = columns();
    const double width = (viewport()->width() - (n + 1) * gap) / (n * mm.width() * perMm);
    const double height = (viewport()->height() - 2.0 * gap) / (mm.height() * perMm);
    const double zoom = m_mode == ZoomMode::PageWidth ? width : std::min(width, height);
    const double clamped = std::clamp(zoom, minimumZoom, maximumZoom);
    if (clamped != m_zoom) {
        m_zoom = clamped;
        m_images.clear();
        Q_EMIT zoomChanged(m_zoom);
    }
}

void PreviewPageView::layOut()
{
    m_rects.clear();
    int y = gap;
    int widest = 0;
    const int count = m_pages ? int(m_pages->size()) : 0;
    const int n = columns();
    for (int first = 0; first < count; first += n) {
        int x = gap;
        int rowHeight = 0;
        for (int i = first; i < std::min(first + n, count); ++i) {
            const QSize size = pageSizePx(i).toSize();
            m_rects.append(QRect(QPoint(x, y), size));
            x += size.width() + gap;
            rowHeight = std::max(rowHeight, size.height());
        }
        widest = std::max(widest, x);
        y += rowHeight + gap;
    }
    m_contentSize = QSize(widest, y);
    m_followScroll = false;
    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, m_contentSize.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, m_contentSize.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    m_followScroll = true;
}

void PreviewPageView::showPage(int index)
{
    if (m_rects.isEmpty())
        return;
    index = std::clamp(index, 0, int(m_rects.size()) - 1);
    // The last pages may not reach the top of the viewport; they are current all the same.
    m_followScroll = false;
    verticalScrollBar()->setValue(m_rects[index].top() - gap);
    m_followScroll = true;
    if (index != m_current) {
        m_current = index;
        Q_EMIT currentPageChanged(index);
    }
}

void PreviewPageView::setHighlights(const QHash<int, QList<int>> &itemsByPage, int currentPage,
                                    int currentItem)
{
    m_highlights = itemsByPage;
    m_stressedPage = currentPage;
    m_stressedItem = currentItem;
    viewport()->update();
}

// The content's place under the viewport; content narrower than the viewport is centred.
QRect PreviewPageView::visibleContent() const
{
    const QSize view = viewport()->size();
    const int x = m_contentSize.width() < view.width() ? -(view.width() - m_contentSize.width()) / 2
                                                       : horizontalScrollBar()->value();
    return QRect(QPoint(x, verticalScrollBar()->value()), view);
}

QRect PreviewPageView::pageRect(int index) const
{
    return m_rects.value(index).translated(-visibleContent().topLeft());
}

// The current page is the first whose lower part shows at the top of the viewport.
void PreviewPageView::updateCurrentPage()
{
    if (m_rects.isEmpty())
        return;
    const int top = verticalScrollBar()->value() + viewport()->height() / 4;
    const auto it = std::lower_bound(m_rects.cbegin(), m_rects.cend(), top,
                                     [](const QRect &r, int y) { return r.bottom() + gap < y; });
    const int index = std::min(int(it - m_rects.cbegin()), int(m_rects.size()) - 1);
    if (index != m_current) {
        m_current = index;
        Q_EMIT currentPageChanged(index);
    }
}

void PreviewPageView::scrollContentsBy(int, int)
{
    if (m_followScroll)
        updateCurrentPage();
    viewport()->update();
}

void PreviewPageView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y();
    if (steps != 0)
        setZoom(steps > 0 ? m_zoom * zoomStep : m_zoom / zoomStep);
    event->accept();
}

void PreviewPageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (!m_pages)
        return;
    const int keep = m_current;
    fitZoom();
    layOut();
    if (m_mode != ZoomMode::Fixed)
        showPage(keep);
}

void PreviewPageView::paintEvent(QPaintEvent *event)
{
    if (!m_pages)
        return;
    QPainter painter(viewport());
    const QRect visible = visibleContent();
    painter.translate(-visible.topLeft());
    const QRect dirty = event->rect().translated(visible.topLeft());
    // Rows are in order, so the pages in sight are found by bisection.
    const auto first = std::lower_bound(m_rects.cbegin(), m_rects.cend(), dirty.top(),
                                        [](const QRect &r, int y) { return r.bottom() < y; });
    for (auto it = first; it != m_rects.cend() && it->top() <= dirty.bottom(); ++it)
        if (it->intersects(dirty))
            paintPage(painter, int(it - m_rects.cbegin()), *it);
}

void PreviewPageView::paintPage(QPainter &painter, int index, const QRect &rect)
{
    painter.fillRect(rect.translated(3, 3), QColor(0, 0, 0, 60));
    if (qint64(rect.width()) * rect.height() <= largestCachedPixels) {
        if (!m_images.contains(index)) {
            auto *image = new QPixmap(rect.size());
            image->fill(Qt::white);
            QPainter onImage(image);
            drawScaled(onImage, index, rect.size());
            m_images.insert(index, image, int(rect.width() * rect.height() * 4 >> 20) + 1);
        }
        if (const QPixmap *image = m_images.object(index)) {
            painter.drawPixmap(rect.topLeft(), *image);
        }
    } else {
        painter.fillRect(rect, Qt::white);
        painter.save();
        painter.setClipRect(rect);
        painter.translate(rect.topLeft());
        drawScaled(painter, index, rect.size());
        painter.restore();
    }

    const QList<int> found = m_highlights.value(index);
    if (found.isEmpty())
        return;
    const double scale = pixelsPerMm() * m_zoom;
    const QList<PreparedItem> &items = (*m_pages)[index].items;
    for (int item : found) {
        const QRectF mm = items[item].rect;
        const QRectF box(rect.topLeft() + mm.topLeft() * scale, mm.size() * scale);
        const bool stressed = index == m_stressedPage && item == m_stressedItem;
        painter.fillRect(box, stressed ? QColor(255, 140, 0, 120) : QColor(255, 230, 0, 100));
    }
}

void PreviewPageView::drawScaled(QPainter &painter, int index, QSizeF sizePx)
{
    const PreparedPage &page = (*m_pages)[index];
    const QSizeF mm = page.page.sizeMm();
    if (mm.isEmpty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    scaleRendererTo(painter, sizePx.width() / mm.width(), sizePx.height() / mm.height());
    m_renderer.drawPage(painter, page);
    painter.restore();
    ++m_rendered;
}
