#include "PageThumbnailModel.h"

#include "RendererScale.h"

PageThumbnailModel::PageThumbnailModel(QObject *parent) : QAbstractListModel(parent) {}

void PageThumbnailModel::setPages(const QList<PreparedPage> *pages)
{
    beginResetModel();
    m_pages = pages;
    m_thumbnails.clear();
    m_rendered = 0;
    endResetModel();
}

int PageThumbnailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_pages ? 0 : int(m_pages->size());
}

QVariant PageThumbnailModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::number(index.row() + 1);
    case Qt::DecorationRole:
        return thumbnail(index.row());
    case Qt::ToolTipRole:
        return QStringLiteral("第 %1 页").arg(index.row() + 1);
    default:
        return {};
    }
}

QPixmap PageThumbnailModel::thumbnail(int row) const
{
    if (const QPixmap *cached = m_thumbnails.object(row))
        return *cached;
    const PreparedPage &page = (*m_pages)[row];
    const QSizeF mm = page.page.sizeMm();
    // Thumbnails are all as wide; a sheet wider than long gets a lower one.
    const double ratio = mm.isEmpty() ? 1 : std::clamp(mm.height() / mm.width(), 0.1, 10.0);
    const QSize size(thumbnailWidth, int(thumbnailWidth * ratio));
    auto *image = new QPixmap(size);
    image->fill(Qt::white);
    if (!mm.isEmpty()) {
        QPainter painter(image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        scaleRendererTo(painter, size.width() / mm.width(), size.height() / mm.height());
        m_renderer.drawPage(painter, page);
    }
    ++m_rendered;
    const QPixmap result = *image;
    m_thumbnails.insert(row, image);
    return result;
}
