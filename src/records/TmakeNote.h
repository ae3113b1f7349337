#pragma once

#include "shell/TChildForm.h"

class DataSet;
class QGroupBox;
class QLineEdit;
class QSplitter;
class RecordGrid;

// The record window of one form kind: the filter box, the record grid over the kind's main
// table and, when the kind has one, the detail grid over its detail table.
class TmakeNote : public TChildForm {
    Q_OBJECT
public:
    TmakeNote(const QString &kindCode, QWidget *parent = nullptr);

    // The opening steps: the main table filtered to unprinted records, the detail table
    // when one named kindName + "Sub" exists, both grids laid out.
    void openKind(const QString &kindName);

    const QString &kindCode() const { return m_kindCode; }
    DataSet *mainDataSet() const override { return m_tblNote; }
    DataSet *detailDataSet() const { return m_tblNoteSub; }
    RecordGrid *mainGrid() const { return m_dbgrdNote; }
    RecordGrid *detailGrid() const { return m_dbgrdSub; }

    void SetUpGrid(RecordGrid *grid, bool isMain);
    // Throws StoreError when the copies box does not hold an integer; the record grid's
    // widths are written by then.
    void SaveGridWidths(RecordGrid *grid, bool isMain);

    void SaveLayout() override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QString m_kindCode;
    DataSet *m_tblNote;
    DataSet *m_tblNoteSub;
    QGroupBox *m_filterBox;
    QLineEdit *m_edtCopies;
    RecordGrid *m_dbgrdNote;
    RecordGrid *m_dbgrdSub;
    QSplitter *m_splitter;

    void applyDetailHeight();
    void showError(const QString &message);
};
