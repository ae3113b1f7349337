// The pick-up of common data into the cell of a record or detail row.
#include "TmakeNote.h"

#include "TdsFindDialog.h"
#include "widgets/RecordGrid.h"

#include "store/DataSet.h"
#include "store/QuilletError.h"

void TmakeNote::dbgrdNoteKeyUp(RecordGrid *grid, int key)
{
    const int column = grid->currentIndex().column();
    if (key != Qt::Key_F2 || column <= 0)
        return;
    DataSet *table = grid->dataSet();
    if (!table->isOpen())
        return;
    try {
        grid->commitOpenEditor();
        const std::optional<QString> value = PickFromTable(this, QStringLiteral("常用数据"));
        if (!value || value->isEmpty())
            return;
        table->edit();
        table->setFieldValue(column, *value);
    } catch (const QuilletError &e) {
        showError(e.message());
    }
}
