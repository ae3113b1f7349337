#pragma once

#include "widgets/TChildForm.h"

class DataSet;
class RecordGrid;

// The common data (常用数据): one grid over the table, its widths kept in [baseData].
class TbaseDataForm : public TChildForm {
    Q_OBJECT
public:
    explicit TbaseDataForm(QWidget *parent = nullptr);

    void openTable();
    DataSet *mainDataSet() const override { return m_table; }
    RecordGrid *grid() const { return m_grid; }

    void SaveLayout() override;
    void PostPendingEdits() override;
    void DiscardPendingEdits() override;

private:
    DataSet *m_table;
    RecordGrid *m_grid;
};
