#pragma once

#include "printing/RecordReport.h"
#include "report/Report.h"
#include "store/CopiedRow.h"
#include "store/TemplateStore.h"
#include "widgets/TChildForm.h"

#include <optional>

class CheckedDateEdit;
class DataSet;
class GridFooter;
class QAction;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSplitter;
class RadioGroup;
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
    GridFooter *mainFooter() const { return m_mainFooter; }
    GridFooter *detailFooter() const { return m_detailFooter; }

    void SetUpGrid(RecordGrid *grid, bool isMain);
    // Throws StoreError when the copies box does not hold an integer; the record grid's
    // widths are written by then.
    void SaveGridWidths(RecordGrid *grid, bool isMain);

    // Builds the filter from the filter box and applies it.
    void btnSearchClick();

    void SaveLayout() override;
    void PostPendingEdits() override;
    void DiscardPendingEdits() override;
    void ExportToExcel() override;
    void ImportFromExcel() override;
    void CopyRow() override;
    void PasteRow() override;
    void ClearAll() override;
    void DeleteRow() override;

    // The template operations: the designer on the kind's template; the records in view
    // through the template to the preview, or to the printer in the copies of the copies
    // box, after which they are marked printed. Errors are shown, not thrown.
    void DesignTemplate() override;
    void PreviewReport() override;
    void PrintReport() override;

    // The window's report object, kept for the window's life.
    Report &report() { return m_frxReport; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QString m_kindCode;
    DataSet *m_tblNote;
    DataSet *m_tblNoteSub;
    QGroupBox *m_filterBox;
    CheckedDateEdit *m_datebegin;
    CheckedDateEdit *m_dateEnd;
    QLineEdit *m_edtKeyWord;
    RadioGroup *m_rgPrint;
    QPushButton *m_btnSearch;
    QLineEdit *m_edtCopies;
    RecordGrid *m_dbgrdNote;
    RecordGrid *m_dbgrdSub;
    GridFooter *m_mainFooter;
    GridFooter *m_detailFooter;
    QWidget *m_detailPane;
    QSplitter *m_splitter;
    CopiedRow m_copied;
    RecordReport m_records;
    Report &m_frxReport;
    std::optional<TemplateStore> m_qryNoteTPL; // the kind's noteKind row, once opened

    void createFilterBox();
    void createGridMenus();
    void applyDetailHeight();
    void showError(const QString &message);
    // The copies box as a whole number; StoreError when it holds anything else.
    int copiesValue() const;
    void outputRefresh();
    void loadTemplate();
    void printPrepared(int copies);
    void markViewPrinted();
    bool frxDesigner1SaveReport(Report &report, bool saveAs);
    bool editFromPreview();
    void tblNoteAfterInsert(DataSet &table);
    void tblNoteSubAfterInsert(DataSet &table);
    void deleteCurrentOf(DataSet *table);
    void importDetailRows();
    // F2 let go in a grid, off its first column, picks a common-data value into the cell.
    void dbgrdNoteKeyUp(RecordGrid *grid, int key);
    // A double click on a picture cell loads a picture file into it, bytes unchanged.
    void dbgrdNoteDblClick(RecordGrid *grid, const QModelIndex &index);
    // Appends a picked workbook's rows to the grid's table, then shows the table afresh.
    void importInto(RecordGrid *grid, const QString &exclusions, bool isMain);
};
