#include "GridFooter.h"

#include "RecordGrid.h"

#include "store/DataSet.h"
#include "store/FooterSums.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>

GridFooter::GridFooter(RecordGrid *grid, QWidget *parent) : QWidget(parent), m_grid(grid)
{
    setObjectName(grid->objectName() + QStringLiteral("Footer"));
    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &GridFooter::refresh);
    DataSet *ds = grid->dataSet();
    for (auto signal : {&DataSet::reset, &DataSet::stateChanged})
        connect(ds, signal, this, &GridFooter::scheduleRefresh);
    connect(ds, &DataSet::rowChanged, this, &GridFooter::scheduleRefresh);
    connect(ds, &DataSet::rowAppended, this, &GridFooter::scheduleRefresh);
    connect(ds, &DataSet::rowRemoved, this, &GridFooter::scheduleRefresh);
    QHeaderView *header = grid->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, qOverload<>(&QWidget::update));
    connect(header, &QHeaderView::geometriesChanged, this, qOverload<>(&QWidget::update));
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            qOverload<>(&QWidget::update));
    refresh();
}

QSize GridFooter::sizeHint() const
{
    return QSize(100, fontMetrics().height() + 8);
}

void GridFooter::scheduleRefresh()
{
    // Many changes in one pass of the event loop (a clear) are summed once. Totals that took
    // long (a large table) wait ten times as long before they are worked out again, so that
    // an import, which lets the window repaint every hundred rows, spends little on them.
    if (m_refreshTimer.isActive())
        return;
    constexpr qint64 Quick = 50, Longest = 5000;
    m_refreshTimer.start(int(m_lastRefreshMs < Quick ? 0 : qMin(10 * m_lastRefreshMs, Longest)));
}

void GridFooter::refresh()
{
    QElapsedTimer timer;
    timer.start();
    m_texts = m_footer.texts(*m_grid->dataSet());
    m_lastRefreshMs = timer.elapsed();
    update();
}

void GridFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    QHeaderView *header = m_grid->horizontalHeader();
    const int left = m_grid->verticalHeader()->isVisible() ? m_grid->verticalHeader()->width() : 0;
    const int offset = m_grid->frameWidth() + left;
    for (int c = 0; c < m_texts.size(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        const QRect cell(offset + header->sectionViewportPosition(c), 0, header->sectionSize(c),
                         height());
        if (cell.right() < offset)
            continue;
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(cell.adjusted(3, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter, m_texts[c]);
    }
}
