#pragma once

#include <QTableView>

class DataSet;
class DataSetModel;
class IniFile;

// A grid over a data set: edits in place, Enter moves on like Tab, and the column widths
// are kept in the settings file by column position, hidden columns included.
class RecordGrid : public QTableView {
    Q_OBJECT
public:
    static constexpr int DefaultColumnWidth = 150;

    RecordGrid(DataSet *dataSet, QWidget *parent = nullptr);

    DataSet *dataSet() const { return m_dataSet; }
    DataSetModel *dataModel() const { return m_model; }

    // Widths from keys "0", "1", ... of the section; 150 for a missing key.
    void readColumnWidths(const IniFile &ini, const QString &section);
    void writeColumnWidths(IniFile &ini, const QString &section) const;
    // Hides the columns of these names (compared exactly) and shows the others.
    void hideColumns(const QStringList &names);

Q_SIGNALS:
    void errorOccurred(const QString &message);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    DataSet *m_dataSet;
    DataSetModel *m_model;
    QAbstractItemDelegate *m_pictures;
    bool m_followingDataSet = false;

    void moveToNextCell();
    void usePictureDelegateForPictureColumns();
};
