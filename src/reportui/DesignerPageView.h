#pragma once

#include "report/ReportRenderer.h"
#include "report/TemplateDocument.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QPixmap>
#include <QRegion>
#include <optional>

class DesignerRuler;
class UserFunctions;

// The designer's page at its true size: the scanned form, the bands as strips, the objects
// drawn by the engine's renderer, and the editing by mouse and keyboard. Every change goes
// through the document; the view redraws from its signals. Geometry shown and typed is in
// millimetres from the paper's edge.
//
// Drawing is layered for speed: everything that does not move during a drag is kept as one
// picture of the visible area, redrawn only when the document, the zoom or the scroll
// position changes; a drag draws the moving objects over it.
class DesignerPageView : public QAbstractScrollArea {
    Q_OBJECT

public:
    using ObjectId = TemplateDocument::ObjectId;

    static constexpr double minimumZoom = 0.25;
    static constexpr double maximumZoom = 8;
    static constexpr double zoomStep = 1.25;
    static constexpr int gap = 24;       // px of desk around the page
    static constexpr int rulerSize = 22; // px
    static constexpr int snapPixels = 5; // an edge this close to another one snaps to it

    DesignerPageView(TemplateDocument *document, const UserFunctions *functions,
                     QWidget *parent = nullptr);

    int page() const { return m_page; }
    void setPage(int page);

    // 1 is the true size on this screen.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    void zoomIn() { setZoom(m_zoom * zoomStep); }
    void zoomOut() { setZoom(m_zoom / zoomStep); }
    void fitWidth();
    void wholePage();
    // Screen pixels per millimetre at the current zoom.
    double pixelsPerMm() const;

    // Grid spacing in mm; 0 hides the grid.
    double gridStep() const { return m_gridStep; }
    void setGridStep(double mm);
    bool snapToGrid() const { return m_snapToGrid; }
    void setSnapToGrid(bool snap) { m_snapToGrid = snap; }
    // How far the scan is washed towards white, 0 (as scanned) to 100 (invisible); the
    // designer's view only.
    int backgroundLightness() const { return m_lightness; }
    void setBackgroundLightness(int percent);

    // Whether the page's scan is decoded and drawn: it is decoded in the background, so
    // that a large scan does not hold up the opening of the window.
    bool scanShown() const;

    // The kind the next click on a band creates; nullopt: clicks select.
    void setInsertKind(std::optional<ReportObject::Kind> kind);
    std::optional<ReportObject::Kind> insertKind() const { return m_insertKind; }

    QPointF viewportToMm(QPointF pixel) const;
    QPointF mmToViewport(QPointF mm) const;
    QRectF mmToViewport(const QRectF &mm) const;
    // A band's strip on the paper, in mm; where the designer shows it is where it prints on
    // a page's first band of each kind.
    QRectF bandRectMm(int band) const;
    // The band whose strip holds the point, or -1.
    int bandAt(QPointF mm) const;
    std::optional<QPointF> cursorMm() const { return m_cursorMm; }
    // The selected objects' bounding rectangle on the paper, in mm; empty for none.
    QRectF selectionRectMm() const;
    // The object's rectangle on the paper, in mm.
    QRectF objectRectMm(ObjectId id) const;
    // Whether an expression of the object does not parse.
    bool isMarked(ObjectId id) const { return m_marked.value(id); }

    // The keyboard's move and resize of the selection, in mm.
    void nudgeSelection(QPointF deltaMm);
    void resizeSelection(QSizeF deltaMm);

Q_SIGNALS:
    void zoomChanged(double zoom);
    void cursorMoved();
    // Double-click on an object.
    void objectActivated(TemplateDocument::ObjectId id);
    void insertKindChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    enum class Drag { None, Pending, Move, Resize, Rubber, BandHeight };

    const ReportPage *currentPage() const;
    QSizeF pageSizePx() const;
    QPointF pageOrigin() const;
    void layOut();
    void applyZoom(double zoom, QPointF anchor);
    void invalidate();
    // Redraws only where these objects were drawn last and where they are now.
    void invalidateObjects(const QList<ObjectId> &ids);
    void invalidateMm(const QRectF &mm);
    void documentReset();
    void remark(const QList<ObjectId> &ids);
    void updateRulers();

    QList<ObjectId> pageObjects() const;
    std::optional<ObjectId> objectAt(QPointF mm) const;
    int handleAt(QPointF pixel) const;
    int bandEdgeAt(QPointF pixel) const;
    QList<QRectF> otherRects(const QList<ObjectId> &moving) const;
    QRectF resizedRect(QPointF mm);
    void updateCursorShape(QPointF pixel);
    void finishDrag(QMouseEvent *event);
    // A new object of a kind with the designer's defaults, named apart from the others.
    ReportObject newObject(ReportObject::Kind kind, QPointF topLeftMm) const;
    // A new object on the band at the point, selected; false where there is no band.
    bool addObjectAt(QPointF mm, ReportObject::Kind kind, const QString &text = {});

    void paintLayer(QPainter &painter, const QRect &area);
    void paintScan(QPainter &painter, const ReportPage &page);
    void decodeScan(const QByteArray &bytes);
    void paintGrid(QPainter &painter, const QRectF &paperPx);
    void paintBands(QPainter &painter, const ReportPage &page);
    // Draws those of the objects that reach into `areaMm`.
    void paintObjects(QPainter &painter, const QList<ObjectId> &ids,
                      const std::function<QRectF(ObjectId)> &rectOf, const QRectF &areaMm,
                      QHash<ObjectId, QRectF> *drawnRects = nullptr);
    void paintOverlay(QPainter &painter);

    TemplateDocument *m_document;
    const UserFunctions *m_functions;
    DesignerRuler *m_horizontalRuler;
    DesignerRuler *m_verticalRuler;
    ReportRenderer m_renderer;
    int m_page = 0;
    double m_zoom = 1;
    double m_gridStep = 2.5;
    bool m_snapToGrid = true;
    int m_lightness = 30;
    std::optional<ReportObject::Kind> m_insertKind;
    std::optional<QPointF> m_cursorMm;
    QHash<ObjectId, bool> m_marked;

    // The layer of what stands still, for the viewport as it is now.
    QPixmap m_layer;
    bool m_layerValid = false;
    QRegion m_dirty;                      // parts of a valid layer to draw again
    QHash<ObjectId, QRectF> m_drawnRects; // where each object was drawn last, mm
    // The scan scaled to the zoom and washed to the lightness.
    QPixmap m_scan;
    QByteArray m_scanBytes;
    QImage m_scanImage;
    QSize m_scanSize;
    int m_scanLightness = -1;

    Drag m_drag = Drag::None;
    QPoint m_pressPixel;
    QPointF m_pressMm;
    QList<ObjectId> m_dragIds;
    QPointF m_dragDelta;
    int m_handle = -1;
    QRectF m_resizeRect;
    int m_dragBand = -1;
    double m_bandHeight = 0;
    QRect m_rubber;
    std::optional<double> m_verticalGuide;
    std::optional<double> m_horizontalGuide;
};
