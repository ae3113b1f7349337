#include "GridFooter.h"

#include "RecordGrid.h"

#include "store/DataSet.h"
#include "store/FooterSums.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

GridFooter::GridFooter(RecordGrid *grid, QWidget *parent) : QWidget(parent), m_grid(grid)
{
    setObjectName(grid->objectName() + QStringLiteral("Footer"));
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
    // Many changes in one pass of the event loop (an import, a clear) are summed once.
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_refreshPending = false;
        refresh();
    });
}

void GridFooter::refresh()
{
    m_texts = m_footer.texts(*m_grid->dataSet());
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
