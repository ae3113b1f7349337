#include "KindTabWidget.h"

#include "KindTabBar.h"

KindTabWidget::KindTabWidget(QWidget *parent) : QTabWidget(parent), m_tabBar(new KindTabBar(this))
{
    setTabBar(m_tabBar);
}
