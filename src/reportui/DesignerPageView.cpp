#include "DesignerPageView.h"

#include "DesignerPanels.h"
#include "DesignerRuler.h"
#include "DesignerSnapping.h"
#include "RendererScale.h"
#include "report/Expression.h"
#include "report/ReportError.h"
#include "report/TextExpression.h"

#include <QApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QThreadPool>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr double handlePixels = 6;
// A scan larger than this on screen is not kept scaled: its part in sight is drawn from the
// file's picture each time, which costs less than scaling the whole for each zoom.
constexpr qint64 largestKeptScanPixels = 8'000'000;

double tenths(double mm)
{
    return std::round(mm * 10) / 10;
}

// Title band first, then header and the data bands in their order; the footer sits at the
// bottom margin, as on a printed page.
int layoutRank(ReportBand::Type type)
{
    switch (type) {
    case ReportBand::Type::ReportTitle:
        return 0;
    case ReportBand::Type::PageHeader:
        return 1;
    case ReportBand::Type::MasterData:
    case ReportBand::Type::DetailData:
        return 2;
    case ReportBand::Type::PageFooter:
        break;
    }
    return 3;
}

QString bandTitle(const ReportBand &band)
{
    QString title = ReportBand::typeTitle(band.type);
    if (!band.dataset.isEmpty())
        title += QStringLiteral("：") + band.dataset;
    return band.name.isEmpty() ? title : band.name + QStringLiteral(" (") + title + u')';
}

// What a new object of a kind is named after (and numbered) and how large it starts, mm.
struct NewObjectLook {
    QString namePrefix;
    QSizeF size;
};

NewObjectLook newObjectLook(ReportObject::Kind kind)
{
    switch (kind) {
    case ReportObject::Kind::Text:
        return {QStringLiteral("Memo"), {30, 5}};
    case ReportObject::Kind::Picture:
        return {QStringLiteral("Picture"), {30, 20}};
    case ReportObject::Kind::Line:
        return {QStringLiteral("Line"), {30, 0}};
    case ReportObject::Kind::Rectangle:
        return {QStringLiteral("Shape"), {30, 20}};
    case ReportObject::Kind::Barcode:
        return {QStringLiteral("Barcode"), {40, 12}};
    case ReportObject::Kind::CheckMark:
        break;
    }
    return {QStringLiteral("CheckBox"), {5, 5}};
}

bool parses(const QString &expression, const UserFunctions &functions)
{
    if (expression.trimmed().isEmpty())
        return true;
    try {
        Expression::parse(expression, functions);
        return true;
    } catch (const ReportError &) {
        return false;
    }
}

bool hasBadExpression(const ReportObject &object, const UserFunctions &functions)
{
    if (object.kind == ReportObject::Kind::Text || object.kind == ReportObject::Kind::Barcode) {
        try {
            TextExpression::compile(object.name, object.text, functions);
        } catch (const ReportError &) {
            return true;
        }
    }
    return !parses(object.checkExpression, functions) ||
           !parses(object.pictureExpression, functions) ||
           !parses(object.visibleExpression, functions);
}

// Eight handles, clockwise from the top-left corner.
QPointF handlePoint(const QRectF &rect, int handle)
{
    const double xs[] = {rect.left(), rect.center().x(), rect.right()};
    const double ys[] = {rect.top(), rect.center().y(), rect.bottom()};
    static const int column[] = {0, 1, 2, 2, 2, 1, 0, 0};
    static const int row[] = {0, 0, 0, 1, 2, 2, 2, 1};
    return {xs[column[handle]], ys[row[handle]]};
}

Qt::CursorShape handleCursor(int handle)
{
    static const Qt::CursorShape shapes[] = {
        Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor,
        Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor, Qt::SizeHorCursor};
    return shapes[handle];
}

} // namespace

DesignerPageView::DesignerPageView(TemplateDocument *document, const UserFunctions *functions,
                                   QWidget *parent)
    : QAbstractScrollArea(parent), m_document(document), m_functions(functions),
      m_horizontalRuler(new DesignerRuler(Qt::Horizontal, this, this)),
      m_verticalRuler(new DesignerRuler(Qt::Vertical, this, this))
{
    setObjectName(QStringLiteral("pageView"));
    setViewportMargins(rulerSize, rulerSize, 0, 0);
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    viewport()->setAcceptDrops(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);

    connect(document, &TemplateDocument::reset, this, &DesignerPageView::documentReset);
    connect(document, &TemplateDocument::objectsAdded, this, [this](const auto &ids) {
        remark(ids);
        invalidateObjects(ids);
    });
    connect(document, &TemplateDocument::objectsChanged, this, [this](const auto &ids) {
        remark(ids);
        invalidateObjects(ids);
    });
    connect(document, &TemplateDocument::objectsRemoved, this, [this](const auto &ids) {
        invalidateObjects(ids);
        for (ObjectId id : ids) {
            m_marked.remove(id);
            m_drawnRects.remove(id);
        }
    });
    connect(document, &TemplateDocument::bandsChanged, this, &DesignerPageView::invalidate);
    connect(document, &TemplateDocument::pageChanged, this, [this] {
        layOut();
        invalidate();
    });
    connect(document, &TemplateDocument::pagesChanged, this, [this] { setPage(m_page); });
    connect(document, &TemplateDocument::selectionChanged, this, [this] {
        viewport()->update();
        updateRulers();
    });
    documentReset();
}

void DesignerPageView::documentReset()
{
    m_marked.clear();
    const int pages = int(m_document->definition().pages.size());
    for (int page = 0; page < pages; ++page)
        for (int band = 0; band < m_document->definition().pages[page].bands.size(); ++band)
            remark(m_document->objectIds(page, band));
    setPage(m_page);
}

void DesignerPageView::remark(const QList<ObjectId> &ids)
{
    for (ObjectId id : ids)
        if (m_document->place(id))
            m_marked[id] = hasBadExpression(m_document->object(id), *m_functions);
}

const ReportPage *DesignerPageView::currentPage() const
{
    const QList<ReportPage> &pages = m_document->definition().pages;
    return m_page < pages.size() ? &pages[m_page] : nullptr;
}

void DesignerPageView::setPage(int page)
{
    m_page = std::clamp(page, 0, std::max(0, int(m_document->definition().pages.size()) - 1));
    layOut();
    invalidate();
}

double DesignerPageView::pixelsPerMm() const
{
    return viewport()->logicalDpiX() / 25.4 * m_zoom;
}

QSizeF DesignerPageView::pageSizePx() const
{
    const ReportPage *page = currentPage();
    return page ? page->sizeMm() * pixelsPerMm() : QSizeF();
}

QPointF DesignerPageView::pageOrigin() const
{
    const QSizeF size = pageSizePx();
    const double x = size.width() + 2 * gap <= viewport()->width()
                         ? (viewport()->width() - size.width()) / 2
                         : gap - horizontalScrollBar()->value();
    return {std::round(x), double(gap - verticalScrollBar()->value())};
}

QPointF DesignerPageView::viewportToMm(QPointF pixel) const
{
    return (pixel - pageOrigin()) / pixelsPerMm();
}

QPointF DesignerPageView::mmToViewport(QPointF mm) const
{
    return pageOrigin() + mm * pixelsPerMm();
}

QRectF DesignerPageView::mmToViewport(const QRectF &mm) const
{
    return QRectF(mmToViewport(mm.topLeft()), mm.size() * pixelsPerMm());
}

void DesignerPageView::layOut()
{
    const QSizeF size = pageSizePx();
    const QSize viewportSize = viewport()->size();
    horizontalScrollBar()->setRange(
        0, std::max(0, int(std::ceil(size.width())) + 2 * gap - viewportSize.width()));
    horizontalScrollBar()->setPageStep(viewportSize.width());
    verticalScrollBar()->setRange(
        0, std::max(0, int(std::ceil(size.height())) + 2 * gap - viewportSize.height()));
    verticalScrollBar()->setPageStep(viewportSize.height());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(20);
}

void DesignerPageView::setZoom(double zoom)
{
    applyZoom(zoom, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void DesignerPageView::applyZoom(double zoom, QPointF anchor)
{
    zoom = std::clamp(zoom, minimumZoom, maximumZoom);
    const QPointF anchorMm = viewportToMm(anchor);
    m_zoom = zoom;
    layOut();
    // Keep the millimetre under the anchor where it was.
    const QPointF moved = mmToViewport(anchorMm) - anchor;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + int(std::round(moved.x())));
    verticalScrollBar()->setValue(verticalScrollBar()->value() + int(std::round(moved.y())));
    invalidate();
    Q_EMIT zoomChanged(m_zoom);
}

void DesignerPageView::fitWidth()
{
    if (const ReportPage *page = currentPage())
        setZoom((viewport()->width() - 2.0 * gap) / (page->sizeMm().width() * pixelsPerMm()) *
                m_zoom);
}

void DesignerPageView::wholePage()
{
    if (const ReportPage *page = currentPage()) {
        const double perMm = pixelsPerMm() / m_zoom;
        setZoom(std::min((viewport()->width() - 2.0 * gap) / (page->sizeMm().width() * perMm),
                         (viewport()->height() - 2.0 * gap) / (page->sizeMm().height() * perMm)));
    }
}

void DesignerPageView::setGridStep(double mm)
{
    m_gridStep = mm;
    invalidate();
}

void DesignerPageView::setBackgroundLightness(int percent)
{
    m_lightness = std::clamp(percent, 0, 100);
    invalidate();
}

void DesignerPageView::setInsertKind(std::optional<ReportObject::Kind> kind)
{
    m_insertKind = kind;
    viewport()->setCursor(kind ? Qt::CrossCursor : Qt::ArrowCursor);
    Q_EMIT insertKindChanged();
}

void DesignerPageView::invalidate()
{
    m_layerValid = false;
    viewport()->update();
    updateRulers();
}

void DesignerPageView::invalidateMm(const QRectF &mm)
{
    const QRect pixels = mmToViewport(mm).toAlignedRect();
    m_dirty += pixels.adjusted(-4, -4, 4, 4).intersected(viewport()->rect());
}

void DesignerPageView::invalidateObjects(const QList<ObjectId> &ids)
{
    for (ObjectId id : ids) {
        const auto place = m_document->place(id);
        // Text let run over its rectangle draws where no rectangle tells.
        if (place && !m_document->object(id).clip) {
            invalidate();
            return;
        }
        if (const auto drawn = m_drawnRects.constFind(id); drawn != m_drawnRects.cend())
            invalidateMm(*drawn);
        if (place && place->page == m_page)
            invalidateMm(objectRectMm(id).normalized());
    }
    viewport()->update();
    updateRulers();
}

void DesignerPageView::updateRulers()
{
    m_horizontalRuler->update();
    m_verticalRuler->update();
}

QRectF DesignerPageView::bandRectMm(int band) const
{
    const ReportPage *page = currentPage();
    if (!page || band < 0 || band >= page->bands.size())
        return {};
    const double left = page->margins.left();
    const double width = page->sizeMm().width() - page->margins.left() - page->margins.right();
    const ReportBand &wanted = page->bands[band];
    if (wanted.type == ReportBand::Type::PageFooter)
        return QRectF(left, page->sizeMm().height() - page->margins.bottom() - wanted.height, width,
                      wanted.height);
    double top = page->margins.top();
    const int rank = layoutRank(wanted.type);
    for (int i = 0; i < page->bands.size(); ++i) {
        const ReportBand &other = page->bands[i];
        const int otherRank = layoutRank(other.type);
        if (otherRank < rank || (otherRank == rank && i < band))
            top += other.height;
    }
    return QRectF(left, top, width, wanted.height);
}

int DesignerPageView::bandAt(QPointF mm) const
{
    const ReportPage *page = currentPage();
    if (!page)
        return -1;
    for (int band = 0; band < page->bands.size(); ++band)
        if (bandRectMm(band).contains(mm))
            return band;
    return -1;
}

QRectF DesignerPageView::objectRectMm(ObjectId id) const
{
    const std::optional<TemplateDocument::Place> place = m_document->place(id);
    if (!place || place->page != m_page)
        return {};
    return m_document->object(id).rect.translated(bandRectMm(place->band).topLeft());
}

QRectF DesignerPageView::selectionRectMm() const
{
    QRectF bounds;
    for (ObjectId id : m_document->selection()) {
        const QRectF rect = objectRectMm(id).normalized();
        if (rect.isNull() && rect.topLeft().isNull())
            continue;
        bounds = bounds.isNull() ? rect : bounds.united(rect);
    }
    return bounds;
}

QList<DesignerPageView::ObjectId> DesignerPageView::pageObjects() const
{
    QList<ObjectId> ids;
    if (const ReportPage *page = currentPage())
        for (int band = 0; band < page->bands.size(); ++band)
            ids << m_document->objectIds(m_page, band);
    return ids;
}

std::optional<DesignerPageView::ObjectId> DesignerPageView::objectAt(QPointF mm) const
{
    const QList<ObjectId> ids = pageObjects();
    const double slack = 3 / pixelsPerMm(); // thin lines stay easy to catch
    for (auto it = ids.rbegin(); it != ids.rend(); ++it)
        if (objectRectMm(*it).normalized().adjusted(-slack, -slack, slack, slack).contains(mm))
            return *it;
    return std::nullopt;
}

int DesignerPageView::handleAt(QPointF pixel) const
{
    const QList<ObjectId> selection = m_document->selection();
    if (selection.size() != 1 || !m_document->place(selection.first()) ||
        m_document->object(selection.first()).locked)
        return -1;
    const QRectF rect = mmToViewport(objectRectMm(selection.first()));
    for (int handle = 0; handle < 8; ++handle) {
        const QPointF point = handlePoint(rect, handle);
        if (std::abs(point.x() - pixel.x()) <= handlePixels &&
            std::abs(point.y() - pixel.y()) <= handlePixels)
            return handle;
    }
    return -1;
}

int DesignerPageView::bandEdgeAt(QPointF pixel) const
{
    const ReportPage *page = currentPage();
    if (!page)
        return -1;
    for (int band = 0; band < page->bands.size(); ++band) {
        const QRectF rect = bandRectMm(band);
        const bool footer = page->bands[band].type == ReportBand::Type::PageFooter;
        const QPointF edge = mmToViewport(footer ? rect.topLeft() : rect.bottomLeft());
        const double right = mmToViewport(rect.topRight()).x();
        if (std::abs(edge.y() - pixel.y()) <= 3 && pixel.x() >= edge.x() && pixel.x() <= right)
            return band;
    }
    return -1;
}

QList<QRectF> DesignerPageView::otherRects(const QList<ObjectId> &moving) const
{
    QList<QRectF> rects;
    for (ObjectId id : pageObjects())
        if (!moving.contains(id))
            rects << objectRectMm(id).normalized();
    return rects;
}

ReportObject DesignerPageView::newObject(ReportObject::Kind kind, QPointF topLeftMm) const
{
    const NewObjectLook look = newObjectLook(kind);
    const QString &prefix = look.namePrefix;
    int last = 0;
    for (const ReportPage &page : m_document->definition().pages)
        for (const ReportBand &band : page.bands)
            for (const ReportObject &object : band.objects)
                if (object.name.startsWith(prefix))
                    last = std::max(last, object.name.mid(prefix.size()).toInt());
    ReportObject object;
    object.kind = kind;
    object.name = prefix + QString::number(last + 1);
    object.rect = QRectF(topLeftMm, look.size);
    if (kind == ReportObject::Kind::CheckMark)
        object.frame = true;
    return object;
}

bool DesignerPageView::addObjectAt(QPointF mm, ReportObject::Kind kind, const QString &text)
{
    const int band = bandAt(mm);
    if (band < 0)
        return false;
    const QPointF inBand = mm - bandRectMm(band).topLeft();
    ReportObject object = newObject(kind, QPointF(tenths(inBand.x()), tenths(inBand.y())));
    object.text = text;
    m_document->setSelection(m_document->addObjects(m_page, band, {object}));
    return true;
}

void DesignerPageView::nudgeSelection(QPointF deltaMm)
{
    m_document->moveObjects(m_document->selection(), deltaMm);
}

void DesignerPageView::resizeSelection(QSizeF deltaMm)
{
    QList<ObjectId> ids;
    QList<QRectF> rects;
    for (ObjectId id : m_document->selection()) {
        if (!m_document->place(id))
            continue;
        QRectF rect = m_document->object(id).rect;
        rect.setWidth(std::max(0.0, rect.width() + deltaMm.width()));
        rect.setHeight(std::max(0.0, rect.height() + deltaMm.height()));
        ids << id;
        rects << rect;
    }
    m_document->setObjectRects(ids, rects);
}

// ---- painting

void DesignerPageView::paintEvent(QPaintEvent *)
{
    const qreal ratio = viewport()->devicePixelRatioF();
    if (!m_layerValid || m_layer.size() != viewport()->size() * ratio) {
        m_layer = QPixmap(viewport()->size() * ratio);
        m_layer.setDevicePixelRatio(ratio);
        m_drawnRects.clear();
        QPainter layer(&m_layer);
        paintLayer(layer, viewport()->rect());
        m_layerValid = true;
    } else if (!m_dirty.isEmpty()) {
        QPainter layer(&m_layer);
        for (const QRect &area : m_dirty)
            paintLayer(layer, area);
    }
    m_dirty = QRegion();
    QPainter painter(viewport());
    painter.drawPixmap(0, 0, m_layer);
    paintOverlay(painter);
}

void DesignerPageView::paintLayer(QPainter &painter, const QRect &area)
{
    painter.save();
    painter.setClipRect(area);
    painter.fillRect(area, palette().color(QPalette::Dark));
    const ReportPage *page = currentPage();
    if (page) {
        const QRectF paper(pageOrigin(), pageSizePx());
        painter.fillRect(paper.intersected(area), Qt::white);
        painter.setClipRect(paper, Qt::IntersectClip);
        paintScan(painter, *page);
        paintGrid(painter, paper.intersected(area));
        paintBands(painter, *page);
        QList<ObjectId> still = pageObjects();
        if (m_drag == Drag::Move || m_drag == Drag::Resize)
            still.removeIf([this](ObjectId id) { return m_dragIds.contains(id); });
        const QRectF areaMm(viewportToMm(area.topLeft()),
                            viewportToMm(area.bottomRight() + QPoint(1, 1)));
        paintObjects(
            painter, still, [this](ObjectId id) { return objectRectMm(id); }, areaMm,
            &m_drawnRects);
    }
    painter.restore();
}

void DesignerPageView::paintScan(QPainter &painter, const ReportPage &page)
{
    if (page.background.isEmpty())
        return;
    if (page.background.constData() != m_scanBytes.constData() && page.background != m_scanBytes) {
        m_scanBytes = page.background;
        m_scanImage = QImage();
        m_scan = QPixmap();
        decodeScan(m_scanBytes);
    }
    if (m_scanImage.isNull())
        return;
    const QRectF target = mmToViewport(page.backgroundRectMm());
    const QSize size = target.size().toSize();
    const QColor wash(255, 255, 255, m_lightness * 255 / 100);
    if (qint64(size.width()) * size.height() > largestKeptScanPixels) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_scanImage);
        painter.fillRect(target, wash);
        painter.restore();
        return;
    }
    if (m_scan.isNull() || m_scanSize != size || m_scanLightness != m_lightness) {
        QImage scaled = m_scanImage.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_RGB32);
        QPainter washer(&scaled);
        washer.fillRect(scaled.rect(), wash);
        washer.end();
        m_scan = QPixmap::fromImage(std::move(scaled));
        m_scanSize = size;
        m_scanLightness = m_lightness;
    }
    painter.drawPixmap(target.topLeft(), m_scan);
}

void DesignerPageView::decodeScan(const QByteArray &bytes)
{
    QThreadPool::globalInstance()->start([view = QPointer<DesignerPageView>(this), bytes] {
        QImage image = QImage::fromData(bytes);
        QMetaObject::invokeMethod(
            qApp,
            [view, bytes, image = std::move(image)] {
                if (!view || view->m_scanBytes != bytes)
                    return;
                view->m_scanImage = image;
                view->invalidate();
            },
            Qt::QueuedConnection);
    });
}

bool DesignerPageView::scanShown() const
{
    const ReportPage *page = currentPage();
    return page && !page->background.isEmpty() && !m_scanImage.isNull() && m_layerValid &&
           page->background == m_scanBytes;
}

void DesignerPageView::paintGrid(QPainter &painter, const QRectF &paperPx)
{
    if (m_gridStep <= 0)
        return;
    const double perMm = pixelsPerMm();
    // Every line of a dense grid would grey the page over: then only every n-th shows.
    double step = m_gridStep;
    while (step * perMm < 6)
        step *= 2;
    const QRectF visible = paperPx.intersected(QRectF(viewport()->rect()));
    const QPointF from = viewportToMm(visible.topLeft());
    const QPointF to = viewportToMm(visible.bottomRight());
    painter.setPen(QPen(QColor(160, 190, 230, 110), 0));
    QVector<QLineF> lines;
    for (double x = std::ceil(from.x() / step) * step; x <= to.x(); x += step) {
        const double px = mmToViewport(QPointF(x, 0)).x();
        lines << QLineF(px, visible.top(), px, visible.bottom());
    }
    for (double y = std::ceil(from.y() / step) * step; y <= to.y(); y += step) {
        const double py = mmToViewport(QPointF(0, y)).y();
        lines << QLineF(visible.left(), py, visible.right(), py);
    }
    painter.drawLines(lines);
}

void DesignerPageView::paintBands(QPainter &painter, const ReportPage &page)
{
    const QRectF margins =
        mmToViewport(QRectF(QPointF(), page.sizeMm()).marginsRemoved(page.margins));
    painter.setPen(QPen(QColor(150, 150, 150), 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(margins);
    QFont label = font();
    label.setPixelSize(11);
    painter.setFont(label);
    for (int band = 0; band < page.bands.size(); ++band) {
        const QRectF rect = mmToViewport(bandRectMm(band));
        painter.fillRect(rect, QColor(255, 200, 80, 28));
        painter.setPen(QPen(QColor(230, 140, 0), 0, Qt::DashLine));
        if (page.bands[band].type == ReportBand::Type::PageFooter)
            painter.drawLine(rect.topLeft(), rect.topRight());
        else
            painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.setPen(QColor(200, 110, 0));
        painter.drawText(rect.adjusted(3, 1, -3, -1), Qt::AlignLeft | Qt::AlignTop,
                         bandTitle(page.bands[band]));
    }
}

void DesignerPageView::paintObjects(QPainter &painter, const QList<ObjectId> &ids,
                                    const std::function<QRectF(ObjectId)> &rectOf,
                                    const QRectF &areaMm, QHash<ObjectId, QRectF> *drawnRects)
{
    const ReportPage *page = currentPage();
    if (!page || ids.isEmpty())
        return;
    // Lines and empty rectangles have no area, and frames reach half a pen beyond.
    const double reach = 1;
    PreparedPage drawn;
    drawn.page = *page;
    drawn.page.background.clear();
    drawn.page.bands.clear();
    QList<QRectF> outlines;
    QList<QRectF> marked;
    for (ObjectId id : ids) {
        const QRectF rect = rectOf(id);
        if (!rect.normalized().adjusted(-reach, -reach, reach, reach).intersects(areaMm))
            continue;
        if (drawnRects)
            drawnRects->insert(id, rect.normalized());
        const ReportObject &object = m_document->object(id);
        PreparedItem item{object, rect, object.text, object.picture, true};
        drawn.items << item;
        outlines << rect.normalized();
        if (isMarked(id))
            marked << rect.normalized();
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(pageOrigin());
    scaleRendererTo(painter, pixelsPerMm(), pixelsPerMm());
    m_renderer.drawPage(painter, drawn);
    painter.restore();

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(128, 128, 128, 140), 0, Qt::DotLine));
    for (const QRectF &rect : outlines)
        painter.drawRect(mmToViewport(rect));
    painter.setPen(QPen(Qt::red, 2, Qt::DashLine));
    for (const QRectF &rect : marked)
        painter.drawRect(mmToViewport(rect));
}

void DesignerPageView::paintOverlay(QPainter &painter)
{
    if (m_drag == Drag::Move || m_drag == Drag::Resize) {
        painter.save();
        painter.setClipRect(QRectF(pageOrigin(), pageSizePx()));
        const QRectF visibleMm(viewportToMm(QPointF(0, 0)),
                               viewportToMm(QPointF(viewport()->width(), viewport()->height())));
        paintObjects(
            painter, m_dragIds,
            [this](ObjectId id) {
                return m_drag == Drag::Resize ? m_resizeRect
                                              : objectRectMm(id).translated(m_dragDelta);
            },
            visibleMm);
        painter.restore();
    }

    const QList<ObjectId> selection = m_document->selection();
    for (ObjectId id : selection) {
        if (!m_document->place(id) || m_document->place(id)->page != m_page)
            continue;
        QRectF rect = objectRectMm(id);
        if (m_drag == Drag::Move)
            rect.translate(m_dragDelta);
        else if (m_drag == Drag::Resize && m_dragIds.contains(id))
            rect = m_resizeRect;
        const QRectF pixels = mmToViewport(rect.normalized());
        const bool locked = m_document->object(id).locked;
        painter.setPen(QPen(locked ? QColor(150, 150, 150) : QColor(30, 100, 220), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(pixels);
        if (selection.size() == 1 && !locked) {
            painter.setBrush(Qt::white);
            for (int handle = 0; handle < 8; ++handle) {
                const QPointF at = handlePoint(mmToViewport(rect), handle);
                painter.drawRect(QRectF(at - QPointF(3, 3), QSizeF(6, 6)));
            }
        }
    }

    painter.setPen(QPen(QColor(230, 0, 160), 1));
    if (m_verticalGuide) {
        const double x = mmToViewport(QPointF(*m_verticalGuide, 0)).x();
        painter.drawLine(QPointF(x, 0), QPointF(x, viewport()->height()));
    }
    if (m_horizontalGuide) {
        const double y = mmToViewport(QPointF(0, *m_horizontalGuide)).y();
        painter.drawLine(QPointF(0, y), QPointF(viewport()->width(), y));
    }
    if (m_drag == Drag::Rubber) {
        painter.setPen(QPen(QColor(30, 100, 220), 1, Qt::DashLine));
        painter.setBrush(QColor(30, 100, 220, 30));
        painter.drawRect(m_rubber);
    }
    if (m_drag == Drag::BandHeight) {
        const ReportPage *page = currentPage();
        if (page && m_dragBand < page->bands.size()) {
            QRectF band = bandRectMm(m_dragBand);
            if (page->bands[m_dragBand].type == ReportBand::Type::PageFooter)
                band.setTop(band.bottom() - m_bandHeight);
            else
                band.setHeight(m_bandHeight);
            painter.setPen(QPen(QColor(230, 140, 0), 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(mmToViewport(band));
        }
    }
}

// ---- geometry changes of the widget

void DesignerPageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const QRect area = viewport()->geometry();
    m_horizontalRuler->setGeometry(area.left(), area.top() - rulerSize, area.width(), rulerSize);
    m_verticalRuler->setGeometry(area.left() - rulerSize, area.top(), rulerSize, area.height());
    layOut();
    invalidate();
}

void DesignerPageView::scrollContentsBy(int, int)
{
    invalidate();
}

void DesignerPageView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const double steps = event->angleDelta().y() / 120.0;
        if (steps != 0)
            applyZoom(m_zoom * std::pow(zoomStep, steps), event->position());
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

// ---- mouse

void DesignerPageView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const QPointF pixel = event->position();
    const QPointF mm = viewportToMm(pixel);
    m_pressPixel = pixel.toPoint();
    m_pressMm = mm;
    m_dragDelta = QPointF();
    if (m_insertKind) {
        if (addObjectAt(mm, *m_insertKind))
            setInsertKind(std::nullopt);
        return;
    }
    const int handle = handleAt(pixel);
    if (handle >= 0) {
        m_drag = Drag::Resize;
        m_handle = handle;
        m_dragIds = m_document->selection();
        m_resizeRect = objectRectMm(m_dragIds.first());
        invalidateObjects(m_dragIds);
        return;
    }
    const int edge = bandEdgeAt(pixel);
    if (edge >= 0) {
        m_drag = Drag::BandHeight;
        m_dragBand = edge;
        m_bandHeight = currentPage()->bands[edge].height;
        return;
    }
    const bool adding = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    QList<ObjectId> selection = m_document->selection();
    if (const std::optional<ObjectId> hit = objectAt(mm)) {
        if (adding) {
            if (selection.contains(*hit))
                selection.removeAll(*hit);
            else
                selection << *hit;
            m_document->setSelection(selection);
            return;
        }
        if (!selection.contains(*hit))
            m_document->setSelection({*hit});
        m_drag = Drag::Pending;
        return;
    }
    if (!adding)
        m_document->setSelection({});
    m_drag = Drag::Rubber;
    m_rubber = QRect(m_pressPixel, QSize());
}

QRectF DesignerPageView::resizedRect(QPointF mm)
{
    using namespace DesignerSnapping;
    const QRectF start = objectRectMm(m_dragIds.first());
    QRectF rect = start;
    const double tolerance = snapPixels / pixelsPerMm();
    const double grid = m_snapToGrid ? m_gridStep : 0;
    QList<double> xs, ys;
    for (const QRectF &other : otherRects(m_dragIds)) {
        xs << horizontalStops(other);
        ys << verticalStops(other);
    }
    const AxisSnap x = snapAxis({mm.x()}, xs, tolerance, grid);
    const AxisSnap y = snapAxis({mm.y()}, ys, tolerance, grid);
    const double column = handlePoint(QRectF(0, 0, 2, 2), m_handle).x();
    const double row = handlePoint(QRectF(0, 0, 2, 2), m_handle).y();
    m_verticalGuide = column != 1 ? x.guide : std::nullopt;
    m_horizontalGuide = row != 1 ? y.guide : std::nullopt;
    const double snappedX = tenths(mm.x() + x.shift);
    const double snappedY = tenths(mm.y() + y.shift);
    if (column == 0)
        rect.setLeft(snappedX);
    else if (column == 2)
        rect.setRight(snappedX);
    if (row == 0)
        rect.setTop(snappedY);
    else if (row == 2)
        rect.setBottom(snappedY);
    const bool line = m_document->object(m_dragIds.first()).kind == ReportObject::Kind::Line;
    return line ? rect : rect.normalized();
}

void DesignerPageView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pixel = event->position();
    const QPointF mm = viewportToMm(pixel);
    m_cursorMm = mm;
    updateRulers();
    Q_EMIT cursorMoved();
    switch (m_drag) {
    case Drag::None:
        updateCursorShape(pixel);
        return;
    case Drag::Pending:
        if ((pixel.toPoint() - m_pressPixel).manhattanLength() < QApplication::startDragDistance())
            return;
        m_dragIds.clear();
        for (ObjectId id : m_document->selection())
            if (m_document->place(id) && m_document->place(id)->page == m_page &&
                !m_document->object(id).locked)
                m_dragIds << id;
        if (m_dragIds.isEmpty()) {
            m_drag = Drag::None;
            return;
        }
        m_drag = Drag::Move;
        invalidateObjects(m_dragIds);
        [[fallthrough]];
    case Drag::Move: {
        QRectF bounds;
        for (ObjectId id : m_dragIds)
            bounds = bounds.isNull() ? objectRectMm(id).normalized()
                                     : bounds.united(objectRectMm(id).normalized());
        const DesignerSnapping::MoveSnap snap =
            DesignerSnapping::snapMove(bounds, mm - m_pressMm, otherRects(m_dragIds),
                                       snapPixels / pixelsPerMm(), m_snapToGrid ? m_gridStep : 0);
        m_dragDelta = QPointF(tenths(snap.delta.x()), tenths(snap.delta.y()));
        m_verticalGuide = snap.verticalGuide;
        m_horizontalGuide = snap.horizontalGuide;
        break;
    }
    case Drag::Resize:
        m_resizeRect = resizedRect(mm);
        break;
    case Drag::Rubber:
        m_rubber = QRect(m_pressPixel, pixel.toPoint()).normalized();
        break;
    case Drag::BandHeight: {
        const QPointF start = viewportToMm(m_pressPixel);
        const double base = currentPage()->bands[m_dragBand].height;
        const bool footer = currentPage()->bands[m_dragBand].type == ReportBand::Type::PageFooter;
        const double change = footer ? start.y() - mm.y() : mm.y() - start.y();
        m_bandHeight = std::max(
            1.0, tenths(DesignerSnapping::toGrid(base + change, m_snapToGrid ? m_gridStep : 0)));
        break;
    }
    }
    viewport()->update();
}

void DesignerPageView::updateCursorShape(QPointF pixel)
{
    if (m_insertKind)
        return;
    const int handle = handleAt(pixel);
    if (handle >= 0)
        viewport()->setCursor(handleCursor(handle));
    else if (bandEdgeAt(pixel) >= 0)
        viewport()->setCursor(Qt::SplitVCursor);
    else
        viewport()->setCursor(Qt::ArrowCursor);
}

void DesignerPageView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        finishDrag(event);
}

void DesignerPageView::finishDrag(QMouseEvent *event)
{
    const Drag drag = std::exchange(m_drag, Drag::None);
    m_verticalGuide.reset();
    m_horizontalGuide.reset();
    // The dragged objects were left out of the still layer; they come back whether or not
    // the drag changed them.
    if (drag == Drag::Move || drag == Drag::Resize)
        invalidateObjects(m_dragIds);
    switch (drag) {
    case Drag::None:
    case Drag::Pending:
        break;
    case Drag::Move:
        if (!m_dragDelta.isNull())
            m_document->moveObjects(m_dragIds, m_dragDelta);
        break;
    case Drag::Resize: {
        const ObjectId id = m_dragIds.first();
        const QPointF band = bandRectMm(m_document->place(id)->band).topLeft();
        m_document->setObjectRects({id}, {m_resizeRect.translated(-band)});
        break;
    }
    case Drag::Rubber: {
        const QRectF area(viewportToMm(m_rubber.topLeft()), viewportToMm(m_rubber.bottomRight()));
        QList<ObjectId> selection;
        if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
            selection = m_document->selection();
        for (ObjectId id : pageObjects())
            if (!selection.contains(id) && area.intersects(objectRectMm(id).normalized()))
                selection << id;
        m_document->setSelection(selection);
        break;
    }
    case Drag::BandHeight: {
        const double height = m_bandHeight;
        m_document->editBand(m_page, m_dragBand, QStringLiteral("改变带高"),
                             [height](ReportBand &band) { band.height = height; });
        break;
    }
    }
    m_dragIds.clear();
    m_dragDelta = QPointF();
    viewport()->update();
}

void DesignerPageView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (const std::optional<ObjectId> hit = objectAt(viewportToMm(event->position()))) {
        m_document->setSelection({*hit});
        Q_EMIT objectActivated(*hit);
    }
}

void DesignerPageView::leaveEvent(QEvent *event)
{
    m_cursorMm.reset();
    updateRulers();
    QAbstractScrollArea::leaveEvent(event);
}

void DesignerPageView::keyPressEvent(QKeyEvent *event)
{
    QPointF direction;
    switch (event->key()) {
    case Qt::Key_Left:
        direction = {-1, 0};
        break;
    case Qt::Key_Right:
        direction = {1, 0};
        break;
    case Qt::Key_Up:
        direction = {0, -1};
        break;
    case Qt::Key_Down:
        direction = {0, 1};
        break;
    case Qt::Key_Escape:
        setInsertKind(std::nullopt);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (m_document->selection().isEmpty()) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const double step = event->modifiers() & Qt::ShiftModifier ? 1 : 0.1;
    if (event->modifiers() & Qt::ControlModifier)
        resizeSelection(QSizeF(direction.x() * step, direction.y() * step));
    else
        nudgeSelection(direction * step);
}

// ---- fields dropped from the data tree

void DesignerPageView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(expressionMimeType))
        event->acceptProposedAction();
}

void DesignerPageView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(expressionMimeType) &&
        bandAt(viewportToMm(event->position())) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignerPageView::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(expressionMimeType) ||
        !addObjectAt(viewportToMm(event->position()), ReportObject::Kind::Text,
                     QString::fromUtf8(event->mimeData()->data(expressionMimeType)))) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setFocus(Qt::OtherFocusReason);
}
