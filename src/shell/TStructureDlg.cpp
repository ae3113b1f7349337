#include "TStructureDlg.h"

#include "StructureGrid.h"
#include "StructureListModel.h"
#include "widgets/ExcelRoutines.h"

#include "store/Database.h"
#include "store/FieldStructure.h"
#include "store/StoreError.h"
#include "store/TableRebuild.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("单据栏目");

QPushButton *button(QWidget *parent, const char *name, const QString &caption,
                    const QString &hint = {})
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QStringList fieldNamesOf(const StructureListModel *list)
{
    QStringList names;
    for (const StructureRow &r : list->rows())
        names << r.fieldName;
    return names;
}

} // namespace

TStructureDlg::TStructureDlg(const QString &kindName, QWidget *parent)
    : QDialog(parent), m_tableName(kindName)
{
    setObjectName(QStringLiteral("TStructureDlg"));
    setWindowTitle(Title);
    resize(485, 395);

    m_cdsTable = new StructureListModel(this);
    m_cdsTable->setObjectName(QStringLiteral("cdsTable"));
    m_cdsSub = new StructureListModel(this);
    m_cdsSub->setObjectName(QStringLiteral("cdsSub"));

    auto *splitter = new QSplitter(Qt::Vertical, this);
    m_fieldsGrid = new StructureGrid(m_cdsTable, splitter);
    m_fieldsGrid->setObjectName(QStringLiteral("FieldsGrid"));
    m_fieldsGridSub = new StructureGrid(m_cdsSub, splitter);
    m_fieldsGridSub->setObjectName(QStringLiteral("FieldsGridSub"));
    m_fieldsGridSub->hide();
    splitter->setStretchFactor(0, 1);
    splitter->setSizes({265, 130});

    auto *btnExport = button(this, "btnExport", QStringLiteral("导出"),
                             QStringLiteral("将当前单据结构导出Excel文件"));
    auto *btnImport = button(this, "btnImport", QStringLiteral("导入"),
                             QStringLiteral("从Excel文件导入单据结构"));
    m_btnImportSub = button(this, "btnImportSub", QStringLiteral("明细导入"),
                            QStringLiteral("从Excel文件导入单据明细结构"));
    m_btnImportSub->hide();
    auto *okBtn = button(this, "OKBtn", QStringLiteral("保存"));
    okBtn->setDefault(true);
    auto *cancelBtn = button(this, "CancelBtn", QStringLiteral("取消"));
    connect(btnExport, &QPushButton::clicked, this, &TStructureDlg::btnExportClick);
    connect(btnImport, &QPushButton::clicked, this, &TStructureDlg::btnImportClick);
    connect(m_btnImportSub, &QPushButton::clicked, this, &TStructureDlg::btnImportSubClick);
    connect(okBtn, &QPushButton::clicked, this, &TStructureDlg::OKBtnClick);
    connect(cancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnExport, btnImport, m_btnImportSub})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(okBtn);
    buttons->addWidget(cancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
}

void TStructureDlg::LoadMainStructure()
{
    const QSqlDatabase db = Database::connection();
    FieldStructure::CreateMainTableIfMissing(db, m_tableName);
    m_cdsTable->setRows(FieldStructure::ReadStructure(db, m_tableName));
    m_fieldsGrid->setColumnWidth(StructureListModel::Position, 28);
    m_fieldsGrid->setColumnWidth(StructureListModel::Size, 40);
    m_fieldsGrid->setColumnWidth(StructureListModel::FieldName, 120);
    m_fieldsGrid->setColumnWidth(StructureListModel::DataType, 80);
    m_fieldsGrid->setColumnWidth(StructureListModel::Default, 100);
}

void TStructureDlg::LoadDetailStructure()
{
    const QSqlDatabase db = Database::connection();
    if (!FieldStructure::KindHasDetail(db, m_tableName))
        return;
    m_detailShown = true;
    m_fieldsGridSub->show();
    m_btnImportSub->show();
    FieldStructure::CreateDetailTableIfMissing(db, m_tableName);
    m_cdsSub->setRows(
        FieldStructure::ReadStructure(db, FieldStructure::DetailTableName(m_tableName)));
    m_fieldsGridSub->setColumnWidth(StructureListModel::Position, 28);
    m_fieldsGridSub->setColumnWidth(StructureListModel::Size, 40);
    m_fieldsGridSub->setColumnWidth(StructureListModel::FieldName, 120);
    m_fieldsGridSub->setColumnWidth(StructureListModel::DataType, 80);
    m_fieldsGridSub->setColumnWidth(StructureListModel::Default, 100);
}

void TStructureDlg::OKBtnClick()
{
    QList<RebuildJob> jobs{{m_tableName, m_cdsTable->rows(), TableRole::Main}};
    if (m_detailShown)
        jobs.append(
            {FieldStructure::DetailTableName(m_tableName), m_cdsSub->rows(), TableRole::Detail});
    try {
        // Refused lists are told before any window is closed for the rebuild.
        for (const RebuildJob &job : jobs)
            FieldStructure::UserColumns(job.rows, job.role);
        if (m_release && !m_release())
            return;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        try {
            RebuildTables(Database::connection(), jobs);
        } catch (...) {
            QApplication::restoreOverrideCursor();
            throw;
        }
        QApplication::restoreOverrideCursor();
    } catch (const StoreError &e) {
        // Nothing was changed: the lists stay as typed, to be put right or cancelled.
        showError(e.message() + QStringLiteral("\n\n单据结构没有保存，数据表保持原样。"));
        return;
    }
    accept();
}

void TStructureDlg::btnExportClick()
{
    try {
        ExportStructureToExcel(this, fieldNamesOf(m_cdsTable),
                               m_tableName + QStringLiteral("栏目"));
        if (m_detailShown)
            ExportStructureToExcel(this, fieldNamesOf(m_cdsSub),
                                   m_tableName + QStringLiteral("明细栏目"));
    } catch (const StoreError &e) {
        showError(e.message());
    }
}

void TStructureDlg::importTitles(StructureListModel *list, const QString &exclusions)
{
    QStringList titles;
    try {
        if (!ReadExcelTitles(this, &titles))
            return;
    } catch (const StoreError &e) {
        showError(e.message());
        return;
    }
    QList<StructureRow> rows = list->rows();
    FieldStructure::AppendTitles(&rows, titles, exclusions);
    list->setRows(rows);
}

void TStructureDlg::btnImportClick()
{
    importTitles(m_cdsTable, QStringLiteral("ID;打印标记;填写日期"));
}

void TStructureDlg::btnImportSubClick()
{
    importTitles(m_cdsSub, QStringLiteral("ID;MID;打印标记;填写日期"));
}

void TStructureDlg::showError(const QString &message)
{
    Messages::error(this, message, Title);
}

void ShowStructureDialog(QWidget *parent, const QString &kindName,
                         TStructureDlg::TableRelease release)
{
    TStructureDlg dialog(kindName, parent);
    dialog.setTableRelease(std::move(release));
    try {
        dialog.LoadMainStructure();
        dialog.LoadDetailStructure();
    } catch (const StoreError &e) {
        Messages::error(parent, e.message(), Title);
        return;
    }
    if (parent)
        dialog.move(parent->geometry().center() - dialog.rect().center());
    dialog.exec();
}
