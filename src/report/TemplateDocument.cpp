#include "TemplateDocument.h"

#include "DocumentCommands.h"
#include "ReportError.h"
#include "ReportXmlReader.h"
#include "ReportXmlWriter.h"

#include <QHash>
#include <QImage>
#include <algorithm>
#include <tuple>

using namespace DocumentCommands;

namespace {

bool placeBefore(const TemplateDocument::Entry &a, const TemplateDocument::Entry &b)
{
    return std::tie(a.place.page, a.place.band, a.place.index) <
           std::tie(b.place.page, b.place.band, b.place.index);
}

// Lines may run right to left or bottom to top; alignment looks at the space they take.
QRectF extent(const QRectF &rect)
{
    return rect.normalized();
}

} // namespace

TemplateDocument::TemplateDocument(QObject *parent) : QObject(parent) {}

void TemplateDocument::load(const QByteArray &bytes)
{
    setDefinition(ReportXmlReader::read(bytes));
}

void TemplateDocument::setDefinition(const ReportTemplate &definition)
{
    m_template = definition;
    assignIds();
    m_undo.clear();
    m_selection.clear();
    Q_EMIT reset();
    Q_EMIT selectionChanged(m_selection);
}

QByteArray TemplateDocument::save() const
{
    return ReportXmlWriter::write(m_template);
}

void TemplateDocument::assignIds()
{
    m_ids.clear();
    for (const ReportPage &page : std::as_const(m_template.pages)) {
        QList<QList<ObjectId>> bands;
        for (const ReportBand &band : page.bands) {
            QList<ObjectId> ids;
            for (qsizetype i = 0; i < band.objects.size(); ++i)
                ids.append(newId());
            bands.append(ids);
        }
        m_ids.append(bands);
    }
}

QList<TemplateDocument::ObjectId> TemplateDocument::objectIds(int page, int band) const
{
    return m_ids.value(page).value(band);
}

std::optional<TemplateDocument::Place> TemplateDocument::place(ObjectId id) const
{
    for (int p = 0; p < m_ids.size(); ++p)
        for (int b = 0; b < m_ids[p].size(); ++b)
            if (const qsizetype i = m_ids[p][b].indexOf(id); i >= 0)
                return Place{p, b, int(i)};
    return std::nullopt;
}

const ReportObject &TemplateDocument::object(ObjectId id) const
{
    const Place at = *place(id);
    return m_template.pages[at.page].bands[at.band].objects[at.index];
}

void TemplateDocument::setSelection(const QList<ObjectId> &ids)
{
    QList<ObjectId> present;
    for (ObjectId id : ids)
        if (place(id) && !present.contains(id))
            present.append(id);
    if (present == m_selection)
        return;
    m_selection = present;
    Q_EMIT selectionChanged(m_selection);
}

void TemplateDocument::push(QUndoCommand *command)
{
    m_undo.push(command);
}

QList<TemplateDocument::Entry> TemplateDocument::entries(const QList<ObjectId> &ids) const
{
    QList<Entry> found;
    for (ObjectId id : ids)
        if (const auto at = place(id))
            if (std::none_of(found.begin(), found.end(),
                             [id](const Entry &e) { return e.id == id; }))
                found.append({id, *at, object(id)});
    std::sort(found.begin(), found.end(), placeBefore);
    return found;
}

// ---- raw changes -------------------------------------------------------------------

void TemplateDocument::insertEntries(QList<Entry> entries)
{
    std::sort(entries.begin(), entries.end(), placeBefore);
    QList<ObjectId> ids;
    for (const Entry &e : entries) {
        m_template.pages[e.place.page].bands[e.place.band].objects.insert(e.place.index, e.object);
        m_ids[e.place.page][e.place.band].insert(e.place.index, e.id);
        ids.append(e.id);
    }
    Q_EMIT objectsAdded(ids);
}

void TemplateDocument::takeEntries(const QList<ObjectId> &ids)
{
    QList<Entry> taken = entries(ids);
    std::reverse(taken.begin(), taken.end());
    for (const Entry &e : taken) {
        m_template.pages[e.place.page].bands[e.place.band].objects.removeAt(e.place.index);
        m_ids[e.place.page][e.place.band].removeAt(e.place.index);
    }
    const QList<ObjectId> selected = m_selection;
    setSelection(selected); // drops the ids that are gone
    Q_EMIT objectsRemoved(ids);
}

void TemplateDocument::replaceObjects(const QList<Entry> &entries)
{
    QList<ObjectId> ids;
    for (const Entry &e : entries) {
        const Place at = *place(e.id);
        m_template.pages[at.page].bands[at.band].objects[at.index] = e.object;
        ids.append(e.id);
    }
    Q_EMIT objectsChanged(ids);
}

void TemplateDocument::setOrder(int page, int band, const QList<ObjectId> &order)
{
    QList<ReportObject> &objects = m_template.pages[page].bands[band].objects;
    const QList<ObjectId> &ids = m_ids[page][band];
    QList<ReportObject> reordered;
    for (ObjectId id : order)
        reordered.append(objects[ids.indexOf(id)]);
    objects = reordered;
    m_ids[page][band] = order;
    Q_EMIT objectsChanged(order);
}

void TemplateDocument::insertBand(int page, int index, const ReportBand &band,
                                  const QList<ObjectId> &ids)
{
    m_template.pages[page].bands.insert(index, band);
    m_ids[page].insert(index, ids);
    Q_EMIT bandsChanged(page);
    if (!ids.isEmpty())
        Q_EMIT objectsAdded(ids);
}

void TemplateDocument::takeBand(int page, int index)
{
    const QList<ObjectId> ids = m_ids[page].takeAt(index);
    m_template.pages[page].bands.removeAt(index);
    const QList<ObjectId> selected = m_selection;
    setSelection(selected);
    if (!ids.isEmpty())
        Q_EMIT objectsRemoved(ids);
    Q_EMIT bandsChanged(page);
}

void TemplateDocument::replaceBandSettings(int page, int index, const ReportBand &settings)
{
    ReportBand &band = m_template.pages[page].bands[index];
    QList<ReportObject> objects = std::move(band.objects);
    band = settings;
    band.objects = std::move(objects);
    Q_EMIT bandsChanged(page);
}

void TemplateDocument::insertPage(int index, const ReportPage &page,
                                  const QList<QList<ObjectId>> &ids)
{
    m_template.pages.insert(index, page);
    m_ids.insert(index, ids);
    Q_EMIT pagesChanged();
}

void TemplateDocument::takePage(int index)
{
    m_template.pages.removeAt(index);
    m_ids.removeAt(index);
    const QList<ObjectId> selected = m_selection;
    setSelection(selected);
    Q_EMIT pagesChanged();
}

void TemplateDocument::replacePageSettings(int index, const ReportPage &settings)
{
    ReportPage &page = m_template.pages[index];
    QList<ReportBand> bands = std::move(page.bands);
    page = settings;
    page.bands = std::move(bands);
    Q_EMIT pageChanged(index);
}

void TemplateDocument::replacePrinterName(const QString &name)
{
    m_template.printerName = name;
    Q_EMIT printerChanged();
}

// ---- edits --------------------------------------------------------------------------

QList<TemplateDocument::ObjectId> TemplateDocument::addObjects(int page, int band,
                                                               const QList<ReportObject> &objects)
{
    return addObjectsAs(QStringLiteral("添加对象"), page, band, objects);
}

QList<TemplateDocument::ObjectId> TemplateDocument::addObjectsAs(const QString &text, int page,
                                                                 int band,
                                                                 const QList<ReportObject> &objects)
{
    if (objects.isEmpty() || page < 0 || page >= m_ids.size() || band < 0 ||
        band >= m_ids[page].size())
        return {};
    QList<Entry> added;
    const int first = int(m_ids[page][band].size());
    for (int i = 0; i < objects.size(); ++i)
        added.append({newId(), Place{page, band, first + i}, objects[i]});
    QList<ObjectId> ids;
    for (const Entry &e : added)
        ids.append(e.id);
    push(new ObjectsPresence(this, text, added, true));
    return ids;
}

void TemplateDocument::removeObjects(const QList<ObjectId> &ids)
{
    const QList<Entry> removed = entries(ids);
    if (!removed.isEmpty())
        push(new ObjectsPresence(this, QStringLiteral("删除对象"), removed, false));
}

void TemplateDocument::editObjects(const QList<ObjectId> &ids, const QString &text,
                                   const ObjectEdit &edit)
{
    QList<Entry> before, after;
    for (const Entry &e : entries(ids)) {
        Entry changed = e;
        edit(changed.object);
        if (changed.object == e.object)
            continue;
        before.append(e);
        after.append(changed);
    }
    if (!after.isEmpty())
        push(new ObjectsChange(this, text, before, after));
}

QList<TemplateDocument::ObjectId> TemplateDocument::unlocked(const QList<ObjectId> &ids) const
{
    QList<ObjectId> free;
    for (ObjectId id : ids)
        if (place(id) && !object(id).locked)
            free.append(id);
    return free;
}

void TemplateDocument::changeRects(const QList<ObjectId> &ids, const QString &text,
                                   const std::function<QRectF(ObjectId, const QRectF &)> &rectOf)
{
    QList<Entry> before, after;
    for (const Entry &e : entries(unlocked(ids))) {
        Entry changed = e;
        changed.object.rect = rectOf(e.id, e.object.rect);
        if (changed.object.rect == e.object.rect)
            continue;
        before.append(e);
        after.append(changed);
    }
    if (!after.isEmpty())
        push(new ObjectsChange(this, text, before, after));
}

void TemplateDocument::moveObjects(const QList<ObjectId> &ids, QPointF deltaMm)
{
    changeRects(ids, QStringLiteral("移动"),
                [deltaMm](ObjectId, const QRectF &rect) { return rect.translated(deltaMm); });
}

void TemplateDocument::setObjectRects(const QList<ObjectId> &ids, const QList<QRectF> &rects)
{
    changeRects(ids, QStringLiteral("调整大小"), [&](ObjectId id, const QRectF &rect) {
        const qsizetype i = ids.indexOf(id);
        return i < rects.size() ? rects[i] : rect;
    });
}

void TemplateDocument::setLocked(const QList<ObjectId> &ids, bool locked)
{
    editObjects(ids, locked ? QStringLiteral("锁定") : QStringLiteral("解锁"),
                [locked](ReportObject &o) { o.locked = locked; });
}

void TemplateDocument::moveObjectsToBand(const QList<ObjectId> &ids, int page, int band)
{
    if (page < 0 || page >= m_ids.size() || band < 0 || band >= m_ids[page].size())
        return;
    QList<Entry> leaving;
    for (const Entry &e : entries(ids))
        if (e.place.page != page || e.place.band != band)
            leaving.append(e);
    if (leaving.isEmpty())
        return;
    QList<Entry> arriving;
    const int first = int(m_ids[page][band].size());
    for (const Entry &e : leaving)
        arriving.append({e.id, Place{page, band, first + int(arriving.size())}, e.object});
    QList<ObjectId> moved;
    for (const Entry &e : leaving)
        moved.append(e.id);
    auto *command = new CompositeCommand(this, QStringLiteral("移到其他带区"), moved);
    new ObjectsPresence(this, QString(), leaving, false, command);
    new ObjectsPresence(this, QString(), arriving, true, command);
    push(command);
}

void TemplateDocument::reorder(const QList<ObjectId> &ids, const QString &text, bool toFront)
{
    QList<Entry> chosen = entries(ids);
    auto *command = new CompositeCommand(this, text, ids);
    for (qsizetype i = 0; i < chosen.size();) {
        const int page = chosen[i].place.page, band = chosen[i].place.band;
        QList<ObjectId> picked, others;
        for (; i < chosen.size() && chosen[i].place.page == page && chosen[i].place.band == band;
             ++i)
            picked.append(chosen[i].id);
        const QList<ObjectId> before = m_ids[page][band];
        for (ObjectId id : before)
            if (!picked.contains(id))
                others.append(id);
        const QList<ObjectId> after = toFront ? others + picked : picked + others;
        if (after != before)
            new BandOrder(this, page, band, before, after, command);
    }
    if (command->childCount() == 0) {
        delete command;
        return;
    }
    push(command);
}

void TemplateDocument::bringToFront(const QList<ObjectId> &ids)
{
    reorder(ids, QStringLiteral("置于顶层"), true);
}

void TemplateDocument::sendToBack(const QList<ObjectId> &ids)
{
    reorder(ids, QStringLiteral("置于底层"), false);
}

void TemplateDocument::align(const QList<ObjectId> &ids, Alignment alignment)
{
    if (ids.size() < 2 || !place(ids.first()))
        return;
    const QRectF ref = extent(object(ids.first()).rect);
    const ObjectId reference = ids.first();
    changeRects(ids, QStringLiteral("对齐"), [&](ObjectId id, const QRectF &rect) {
        if (id == reference)
            return rect;
        const QRectF r = extent(rect);
        switch (alignment) {
        case Alignment::Left:
            return rect.translated(ref.left() - r.left(), 0);
        case Alignment::Right:
            return rect.translated(ref.right() - r.right(), 0);
        case Alignment::Top:
            return rect.translated(0, ref.top() - r.top());
        case Alignment::Bottom:
            return rect.translated(0, ref.bottom() - r.bottom());
        case Alignment::HorizontalCentres:
            return rect.translated(ref.center().x() - r.center().x(), 0);
        case Alignment::VerticalCentres:
            break;
        }
        return rect.translated(0, ref.center().y() - r.center().y());
    });
}

void TemplateDocument::makeSameWidth(const QList<ObjectId> &ids)
{
    if (ids.size() < 2 || !place(ids.first()))
        return;
    const double width = object(ids.first()).rect.width();
    changeRects(ids, QStringLiteral("等宽"), [width](ObjectId, QRectF rect) {
        rect.setWidth(width);
        return rect;
    });
}

void TemplateDocument::makeSameHeight(const QList<ObjectId> &ids)
{
    if (ids.size() < 2 || !place(ids.first()))
        return;
    const double height = object(ids.first()).rect.height();
    changeRects(ids, QStringLiteral("等高"), [height](ObjectId, QRectF rect) {
        rect.setHeight(height);
        return rect;
    });
}

void TemplateDocument::distribute(const QList<ObjectId> &ids, Direction direction)
{
    QList<ObjectId> free = unlocked(ids);
    if (free.size() < 3)
        return;
    const bool horizontal = direction == Direction::Horizontal;
    const auto start = [&](ObjectId id) {
        const QRectF r = extent(object(id).rect);
        return horizontal ? r.left() : r.top();
    };
    const auto length = [&](ObjectId id) {
        const QRectF r = extent(object(id).rect);
        return horizontal ? r.width() : r.height();
    };
    std::stable_sort(free.begin(), free.end(),
                     [&](ObjectId a, ObjectId b) { return start(a) < start(b); });
    double occupied = 0;
    for (ObjectId id : free)
        occupied += length(id);
    const double span = start(free.last()) + length(free.last()) - start(free.first());
    const double gap = (span - occupied) / double(free.size() - 1);
    QHash<ObjectId, double> targets;
    double next = start(free.first());
    for (ObjectId id : free) {
        targets.insert(id, next);
        next += length(id) + gap;
    }
    targets[free.last()] = start(free.last()); // the ends stay exactly where they are
    changeRects(free, QStringLiteral("均匀分布"), [&](ObjectId id, const QRectF &rect) {
        const double shift = targets.value(id) - start(id);
        return horizontal ? rect.translated(shift, 0) : rect.translated(0, shift);
    });
}

QByteArray TemplateDocument::copy(const QList<ObjectId> &ids) const
{
    ReportBand band;
    for (const Entry &e : entries(ids))
        band.objects.append(e.object);
    ReportPage page;
    page.bands.append(band);
    ReportTemplate clip;
    clip.pages.append(page);
    return ReportXmlWriter::write(clip);
}

QList<TemplateDocument::ObjectId>
TemplateDocument::paste(int page, int band, const QByteArray &payload, QPointF offsetMm)
{
    const ReportTemplate clip = ReportXmlReader::read(payload);
    QList<ReportObject> objects;
    for (const ReportPage &p : clip.pages)
        for (const ReportBand &b : p.bands)
            for (ReportObject o : b.objects) {
                o.rect.translate(offsetMm);
                objects.append(o);
            }
    return addObjectsAs(QStringLiteral("粘贴"), page, band, objects);
}

void TemplateDocument::addBand(int page, const ReportBand &band)
{
    if (page < 0 || page >= m_ids.size())
        return;
    QList<ObjectId> ids;
    for (qsizetype i = 0; i < band.objects.size(); ++i)
        ids.append(newId());
    push(new BandPresence(this, QStringLiteral("添加带区"), page, int(m_ids[page].size()), band,
                          ids, true));
}

void TemplateDocument::removeBand(int page, int band)
{
    if (page < 0 || page >= m_ids.size() || band < 0 || band >= m_ids[page].size())
        return;
    push(new BandPresence(this, QStringLiteral("删除带区"), page, band,
                          m_template.pages[page].bands[band], m_ids[page][band], false));
}

void TemplateDocument::editBand(int page, int band, const QString &text, const BandEdit &edit)
{
    if (page < 0 || page >= m_ids.size() || band < 0 || band >= m_ids[page].size())
        return;
    ReportBand before = m_template.pages[page].bands[band];
    before.objects.clear();
    ReportBand after = before;
    edit(after);
    after.objects.clear();
    if (after != before)
        push(new BandSettings(this, text, page, band, before, after));
}

void TemplateDocument::addPage(const ReportPage &page)
{
    QList<QList<ObjectId>> ids;
    for (const ReportBand &band : page.bands) {
        QList<ObjectId> bandIds;
        for (qsizetype i = 0; i < band.objects.size(); ++i)
            bandIds.append(newId());
        ids.append(bandIds);
    }
    push(new PagePresence(this, QStringLiteral("添加页"), int(m_ids.size()), page, ids, true));
}

void TemplateDocument::removePage(int page)
{
    if (page < 0 || page >= m_ids.size())
        return;
    push(new PagePresence(this, QStringLiteral("删除页"), page, m_template.pages[page], m_ids[page],
                          false));
}

void TemplateDocument::editPage(int page, const QString &text, const PageEdit &edit)
{
    if (page < 0 || page >= m_ids.size())
        return;
    ReportPage before = m_template.pages[page];
    before.bands.clear();
    ReportPage after = before;
    edit(after);
    after.bands.clear();
    if (after != before)
        push(new PageSettings(this, text, page, before, after));
}

void TemplateDocument::setBackground(int page, const QByteArray &picture, BackgroundSize size,
                                     QSizeF sizeMm)
{
    const QImage image = QImage::fromData(picture);
    if (image.isNull())
        throw ReportError(QStringLiteral("无法读取背景图片：不是可识别的图片文件"));
    QRectF rect;
    if (size == BackgroundSize::FromResolution && image.dotsPerMeterX() > 0 &&
        image.dotsPerMeterY() > 0)
        rect = QRectF(0, 0, image.width() * 1000.0 / image.dotsPerMeterX(),
                      image.height() * 1000.0 / image.dotsPerMeterY());
    else if (size == BackgroundSize::Given)
        rect = QRectF(QPointF(), sizeMm);
    editPage(page, QStringLiteral("设置背景图片"), [&](ReportPage &p) {
        p.background = picture;
        p.backgroundRect = rect;
    });
}

void TemplateDocument::removeBackground(int page)
{
    editPage(page, QStringLiteral("删除背景图片"), [](ReportPage &p) {
        p.background.clear();
        p.backgroundRect = QRectF();
    });
}

void TemplateDocument::setBackgroundRect(int page, const QRectF &rectMm)
{
    editPage(page, QStringLiteral("校准背景图片"),
             [&](ReportPage &p) { p.backgroundRect = rectMm; });
}

void TemplateDocument::setPrinterName(const QString &name)
{
    if (name != m_template.printerName)
        push(new PrinterChoice(this, m_template.printerName, name));
}
