#pragma once

#include <QCache>
#include <QImage>
#include <QStyledItemDelegate>

// Shows a picture cell (the bytes of an image file) as a thumbnail fitted into the cell.
class PictureDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

private:
    mutable QCache<size_t, QImage> m_thumbnails{64};
};
