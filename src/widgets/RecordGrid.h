#pragma once

#include <QTableView>

class DataSet;
class DataSetModel;
class IniFile;

// A grid over a data set: edits in place, Enter moves on like Tab, and the column widths
// are kept in the settings file by column position, hidden columns included.
//
// The grid remembers its layout (widths by position, hidden columns by name) and puts it back
// each time its table is read afresh, so that reopening never shows a hidden link column or
// forgets a width. A hidden column is never edited, and keeps the width it had for writing.
// A click on a column title orders the rows by that column; a second click reverses them.
class RecordGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int DefaultColumnWidth = 150;

    RecordGrid(DataSet *dataSet, QWidget *parent = nullptr);

    DataSet *dataSet() const { return m_dataSet; }
    DataSetModel *dataModel() const { return m_model; }

    // Widths from keys "0", "1", ... of the section; 150 for a missing key.
    void readColumnWidths(const IniFile &ini, const QString &section);
    // One writing of the file; false, with the file left as it was, when it failed.
    bool writeColumnWidths(IniFile &ini, const QString &section) const;
    // Hides the columns of these names (compared exactly) and shows the others.
    void hideColumns(const QStringList &names);
    // The first visible column that takes typed text; a new row starts there.
    int firstEditableColumn() const;

    // A list to choose from: no cell is edited and no row is added; Enter is left to the
    // dialog the grid sits in.
    void setReadOnly(bool readOnly);
    // Whether Enter moves to the next cell as Tab does (the default) or stays in the cell.
    void setEnterMovesOn(bool movesOn) { m_enterMovesOn = movesOn; }
    // Writes what the open cell editor holds into its row and closes it, so that a value
    // set from elsewhere is not overwritten by the editor's older text.
    void commitOpenEditor();

Q_SIGNALS:
    void errorOccurred(const QString &message);
    // A key was let go in the grid or in its cell editor.
    void keyReleased(int key);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    DataSet *m_dataSet;
    DataSetModel *m_model;
    QAbstractItemDelegate *m_pictures;
    bool m_followingDataSet = false;
    bool m_resetting = false;
    bool m_readOnly = false;
    bool m_enterMovesOn = true;
    QList<int> m_widths;
    QStringList m_hiddenNames;

    void applyLayout();
    void followDataSet(int row);
    void appendRow();
    void sortByColumn(int column);
    void moveToNextCell();
    void usePictureDelegateForPictureColumns();
};
