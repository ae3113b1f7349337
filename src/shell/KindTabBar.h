#pragma once

#include <QTabBar>

// The tab strip of the main window: every tab 100 pixels wide, captions drawn by the
// program, the active one in blue with a close glyph at 80 pixels from its left edge.
// A double click closes the tab under the pointer; a press on the active tab's glyph band
// closes that tab.
class KindTabBar : public QTabBar {
    Q_OBJECT
public:
    static constexpr int TabWidth = 100;
    static constexpr int GlyphLeft = 80;
    static constexpr int GlyphRight = 94;

    explicit KindTabBar(QWidget *parent = nullptr);

Q_SIGNALS:
    // index is -1 when no tab is under the pointer.
    void closeRequested(int index);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPixmap m_closeGlyph;
};
