#pragma once

#include "store/FooterSums.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

class RecordGrid;

// The footer row under a grid, lined up with the grid's columns: the row count and the sums
// over the rows the grid shows, kept up to date as they change.
class GridFooter : public QWidget {
    Q_OBJECT
public:
    explicit GridFooter(RecordGrid *grid, QWidget *parent = nullptr);

    const QStringList &texts() const { return m_texts; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    RecordGrid *m_grid;
    ViewFooter m_footer;
    QStringList m_texts;
    QTimer m_refreshTimer;
    qint64 m_lastRefreshMs = 0;

    void scheduleRefresh();
    void refresh();
};
