#include "TdsFindDialog.h"

#include "TDFindForm.h"

#include "store/DataSet.h"
#include "store/Database.h"

bool TdsFindDialog::Execute()
{
    if (!m_rows)
        return false;
    TDFindForm form(m_rows, m_parent);
    // Only OK over a list with rows accepts.
    if (form.exec() != QDialog::Accepted)
        return false;
    m_foundValue = form.selectedValue();
    return true;
}

std::optional<QString> PickFromTable(QWidget *parent, const QString &tableName)
{
    DataSet rows;
    rows.setDatabase(Database::connection());
    rows.setTableName(tableName);
    rows.open();
    TdsFindDialog dialog(parent);
    dialog.setDataSet(&rows);
    if (!dialog.Execute())
        return std::nullopt;
    return dialog.FoundValue();
}
