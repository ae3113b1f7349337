#pragma once

#include <QString>
#include <optional>

class DataSet;
class QWidget;

// Offers the rows of a data set in the find window and keeps the value the user took.
class TdsFindDialog {
public:
    explicit TdsFindDialog(QWidget *parent = nullptr) : m_parent(parent) {}

    void setDataSet(DataSet *rows) { m_rows = rows; }
    // Shows the find window over the rows (which must be open) until it closes; true when a
    // value was taken, which FoundValue then holds. Without rows it shows nothing.
    bool Execute();
    const QString &FoundValue() const { return m_foundValue; }

private:
    QWidget *m_parent;
    DataSet *m_rows = nullptr;
    QString m_foundValue;
};

// Every row of a table of the program's database in the find window: the value taken, or
// nothing when the user took none. StoreError when the table cannot be read.
std::optional<QString> PickFromTable(QWidget *parent, const QString &tableName);
