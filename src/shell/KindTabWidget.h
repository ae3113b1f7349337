#pragma once

#include <QTabWidget>

class KindTabBar;

// The main window's tab area, with the program's own tab strip.
class KindTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit KindTabWidget(QWidget *parent = nullptr);

    KindTabBar *kindTabBar() const { return m_tabBar; }

private:
    KindTabBar *m_tabBar;
};
