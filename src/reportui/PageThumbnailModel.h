#pragma once

#include "report/PreparedPage.h"
#include "report/ReportRenderer.h"

#include <QAbstractListModel>
#include <QCache>
#include <QPixmap>

// The preview's outline: one row per page, its thumbnail drawn only when a view asks for
// it and kept in a bounded cache.
class PageThumbnailModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int thumbnailWidth = 110; // px

    explicit PageThumbnailModel(QObject *parent = nullptr);
    void setPages(const QList<PreparedPage> *pages);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // How many thumbnails were drawn since the pages were set (for checks of laziness).
    int renderedThumbnails() const { return m_rendered; }

private:
    QPixmap thumbnail(int row) const;

    const QList<PreparedPage> *m_pages = nullptr;
    mutable ReportRenderer m_renderer;
    mutable QCache<int, QPixmap> m_thumbnails{300};
    mutable int m_rendered = 0;
};
