#include "PictureDelegate.h"

#include <QApplication>
#include <QPainter>

void PictureDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const
{
    const QByteArray bytes = index.data(Qt::UserRole).toByteArray();
    if (bytes.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const size_t key = qHash(bytes);
    QImage *thumbnail = m_thumbnails.object(key);
    if (!thumbnail) {
        const QImage image = QImage::fromData(bytes);
        if (image.isNull()) {
            QStyledItemDelegate::paint(painter, option, index); // bytes that are no picture
            return;
        }
        thumbnail =
            new QImage(image.scaled(160, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        m_thumbnails.insert(key, thumbnail);
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    const QWidget *view = option.widget;
    QStyle *style = view ? view->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, view);
    const QSize fitted =
        thumbnail->size().scaled(option.rect.size() - QSize(2, 2), Qt::KeepAspectRatio);
    QRect target(QPoint(), fitted);
    target.moveCenter(option.rect.center());
    painter->drawImage(target, *thumbnail);
}
