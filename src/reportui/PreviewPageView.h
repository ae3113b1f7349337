#pragma once

#include "report/PreparedPage.h"
#include "report/ReportRenderer.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QList>
#include <QPixmap>

// The preview's page area: pages one under the other (or several side by side), drawn on
// demand. Only the pages in sight are rendered, each once per zoom into a small cache, so
// a preview of a thousand pages opens at once and scrolls smoothly.
class PreviewPageView : public QAbstractScrollArea {
    Q_OBJECT

public:
    enum class ZoomMode { Fixed, PageWidth, WholePage, MultiplePages };
    static constexpr int gap = 12;             // px around and between pages
    static constexpr int pagesSideBySide = 2;  // in the multiple-pages mode
    static constexpr double minimumZoom = 0.1; // 10 %
    static constexpr double maximumZoom = 8;   // 800 %
    static constexpr double zoomStep = 1.25;   // zoom in and out, Ctrl + wheel

    explicit PreviewPageView(QWidget *parent = nullptr);

    void setPages(const QList<PreparedPage> *pages);

    // 1 is the page's true size on this screen.
    double zoom() const { return m_zoom; }
    ZoomMode zoomMode() const { return m_mode; }
    void setZoom(double zoom);
    void setZoomMode(ZoomMode mode);
    // Screen pixels per millimetre at 100 %.
    double pixelsPerMm() const;

    int currentPage() const { return m_current; }
    void showPage(int index);

    // Found texts to mark: item indexes per page, and the one match to stress.
    void setHighlights(const QHash<int, QList<int>> &itemsByPage, int currentPage, int currentItem);

    // Where a page is drawn in the viewport, in pixels.
    QRect pageRect(int index) const;

    // How many page images were rendered since the pages were set (for checks of laziness).
    int renderedPages() const { return m_rendered; }

Q_SIGNALS:
    void currentPageChanged(int index);
    void zoomChanged(double zoom);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QSizeF pageSizePx(int index) const;
    int columns() const;
    void layOut();
    void fitZoom();
    void applyZoom(double zoom);
    void updateCurrentPage();
    void paintPage(QPainter &painter, int index, const QRect &rect);
    void drawScaled(QPainter &painter, int index, QSizeF sizePx);
    QRect visibleContent() const;

    const QList<PreparedPage> *m_pages = nullptr;
    ReportRenderer m_renderer;
    QCache<int, QPixmap> m_images{192}; // cost in megabytes
    QList<QRect> m_rects;               // each page's place in the content, in pixels
    QSize m_contentSize;
    double m_zoom = 1;
    ZoomMode m_mode = ZoomMode::Fixed;
    int m_current = 0;
    int m_rendered = 0;
    bool m_followScroll = true;
    QHash<int, QList<int>> m_highlights;
    int m_stressedPage = -1;
    int m_stressedItem = -1;
};
