#pragma once

#include <QDialog>
#include <functional>

class QPushButton;
class StructureGrid;
class StructureListModel;

// The field structure of one form kind: the columns of its main table and, for a
// master-detail kind, of its detail table. Opening it creates tables that are missing;
// 保存 rebuilds both tables from the lists in one go.
class TStructureDlg : public QDialog {
    Q_OBJECT
public:
    // Called before the tables are rebuilt, so that windows showing them let go of them;
    // false stops the save.
    using TableRelease = std::function<bool()>;

    TStructureDlg(const QString &kindName, QWidget *parent = nullptr);

    void setTableRelease(TableRelease release) { m_release = std::move(release); }
    const QString &tableName() const { return m_tableName; }
    StructureListModel *cdsTable() const { return m_cdsTable; }
    StructureListModel *cdsSub() const { return m_cdsSub; }
    bool detailShown() const { return m_detailShown; }

    // Both throw StoreError; the tables they create stay.
    void LoadMainStructure();
    void LoadDetailStructure();

    void OKBtnClick();
    void btnExportClick();
    void btnImportClick();
    void btnImportSubClick();

private:
    QString m_tableName;
    StructureListModel *m_cdsTable;
    StructureListModel *m_cdsSub;
    StructureGrid *m_fieldsGrid;
    StructureGrid *m_fieldsGridSub;
    QPushButton *m_btnImportSub;
    bool m_detailShown = false;
    TableRelease m_release;

    void importTitles(StructureListModel *list, const QString &exclusions);
    void showError(const QString &message);
};

// Opens the structure dialog of the form kind modally. A failure to load it is shown and
// the dialog is not.
void ShowStructureDialog(QWidget *parent, const QString &kindName,
                         TStructureDlg::TableRelease release = {});
