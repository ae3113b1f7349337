#pragma once

#include <QTableView>

class StructureListModel;

// A grid over a structure list: Enter moves to the next cell as Tab does (past the last
// cell a new row begins), Down on the last row and Insert add a row, the context menu's
// "删除" deletes the current row at once and Ctrl+Delete after a confirmation.
class StructureGrid : public QTableView {
    Q_OBJECT
public:
    explicit StructureGrid(StructureListModel *list, QWidget *parent = nullptr);

    StructureListModel *list() const { return m_list; }
    void deleteCurrentRow();
    void moveToNextCell();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    StructureListModel *m_list;
    QMenu *m_menu;

    void appendRowAndEdit();
};
