#pragma once

#include "store/CopiedRow.h"
#include "widgets/TChildForm.h"

class DataSet;
class RecordGrid;

// The common data (常用数据): one grid over the table, its widths kept in [baseData], and
// the tab commands that move its rows to and from workbooks, copy, paste and delete them.
class TbaseDataForm : public TChildForm {
    Q_OBJECT
public:
    explicit TbaseDataForm(QWidget *parent = nullptr);

    // Opens the table on the shared connection and lays out the grid.
    void openTable();
    DataSet *mainDataSet() const override { return m_table; }
    RecordGrid *grid() const { return m_grid; }

    void SetUpGrid();
    void SaveGridWidths();

    void SaveLayout() override;
    void PostPendingEdits() override;
    void DiscardPendingEdits() override;
    void ExportToExcel() override;
    void ImportFromExcel() override;
    void CopyRow() override;
    void PasteRow() override;
    void DeleteRow() override;

private:
    DataSet *m_table;
    RecordGrid *m_grid;
    CopiedRow m_copied;
};
