#include "SheetImport.h"

#include "DataSet.h"
#include "FieldValue.h"
#include "HandOver.h"
#include "StoreError.h"
#include "Worksheet.h"

#include <QScopeGuard>
#include <QSqlError>
#include <exception>
#include <thread>

namespace SheetImport {

namespace {

const QString Undone = QStringLiteral("\n本次导入已全部撤销，没有导入任何记录。");

[[noreturn]] void refuse(int row, int column, const ColumnDef &def, const QString &reason)
{
    throw StoreError(QStringLiteral("电子表格第%1行%2列（栏目“%3”）不能导入：%4")
                         .arg(row + 1)
                         .arg(columnLetters(column), def.name, reason) +
                     Undone);
}

void appendRow(DataSet &table, const Worksheet &sheet, int row, const QList<int> &targets)
{
    table.append();
    if (table.state() != DataSet::State::Insert)
        throw StoreError(QStringLiteral("电子表格第%1行不能导入：数据表不接受新记录").arg(row + 1) +
                         Undone);
    for (int k : targets) {
        const ColumnDef &column = table.columns()[k];
        const QVariant cell = sheet.cell(row, k);
        const auto value = valueFor(cell, column);
        if (!value) {
            if (column.type == FieldType::Bool)
                refuse(row, k, column, QStringLiteral("只能填写True、False或数字"));
            refuse(row, k, column,
                   QStringLiteral("“%1”不是这个栏目能接受的值").arg(Worksheet::cellText(cell)));
        }
        try {
            table.setFieldValue(k, *value);
        } catch (const StoreError &e) {
            refuse(row, k, column, e.message());
        }
    }
    try {
        table.post();
    } catch (const StoreError &e) {
        throw StoreError(
            QStringLiteral("电子表格第%1行不能导入：%2").arg(row + 1).arg(e.message()) + Undone);
    }
}

bool isDataRow(const Worksheet &sheet, int row)
{
    return row > 0 && !sheet.text(row, 0).trimmed().isEmpty();
}

// One import into a table: its columns, batch mode and transaction, ended by commit() or
// undo().
class Import {
public:
    Import(DataSet &table, const QStringList &excluded) : m_table(table)
    {
        if (!table.isOpen())
            table.open();
        table.checkBrowseMode();
        for (qsizetype k = 0; k < table.columns().size(); ++k) {
            const ColumnDef &column = table.columns()[k];
            if (column.type != FieldType::Counter && column.type != FieldType::Binary &&
                !excluded.contains(column.name, Qt::CaseInsensitive))
                m_targets << int(k);
        }
        table.setBatchMode(true);
        QSqlDatabase db = table.database();
        if (!db.transaction()) {
            table.setBatchMode(false);
            throw StoreError(QStringLiteral("无法开始导入：%1").arg(db.lastError().text()));
        }
    }
    ~Import() { m_table.setBatchMode(false); }
    Import(const Import &) = delete;
    Import &operator=(const Import &) = delete;

    void append(const Worksheet &sheet, int row)
    {
        appendRow(m_table, sheet, row, m_targets);
        ++m_done;
    }
    int done() const { return m_done; }
    void commit()
    {
        QSqlDatabase db = m_table.database();
        if (!db.commit())
            throw StoreError(QStringLiteral("导入没有完成：%1").arg(db.lastError().text()) +
                             Undone);
        m_table.setBatchMode(false);
        m_table.first();
    }
    void undo()
    {
        m_table.database().rollback();
        m_table.reopen();
    }

private:
    DataSet &m_table;
    QList<int> m_targets;
    int m_done = 0;
};

// A run of rows read, how far the reading has got, or why it stopped; no run at the end.
struct ReadRun {
    std::optional<Worksheet> run;
    int permille = 0;
    std::exception_ptr failure;
};
using RunQueue = HandOver<ReadRun>;

// Thrown on the reading thread when the importer no longer takes runs.
struct ReadingStopped {};

void readInto(RunQueue &queue, const QString &path, int columnLimit)
{
    ReadRun last;
    try {
        Worksheet::readFirstInRuns(
            path,
            [&queue](Worksheet &&run, int permille) {
                if (!queue.push({std::move(run), permille, {}}))
                    throw ReadingStopped();
            },
            columnLimit);
    } catch (const ReadingStopped &) {
        return;
    } catch (...) {
        last.failure = std::current_exception();
    }
    queue.push(std::move(last));
}

} // namespace

std::optional<int> importWorkbook(DataSet &table, const QString &path, const QStringList &excluded,
                                  const Progress &progress)
{
    Import import(table, excluded);
    RunQueue queue;
    std::thread reading(readInto, std::ref(queue), path, int(table.columns().size()));
    const auto joined = qScopeGuard([&] {
        queue.stop();
        reading.join();
    });
    const auto stopped = [&](int permille) {
        if (!progress || progress(permille))
            return false;
        import.undo();
        return true;
    };
    try {
        int permille = 0;
        for (;;) {
            ReadRun item = queue.pop();
            if (item.failure) {
                try {
                    std::rethrow_exception(item.failure);
                } catch (const StoreError &e) {
                    throw Unreadable(e.message(), e.detail());
                }
            }
            if (!item.run)
                break;
            const Worksheet &run = *item.run;
            const int from = permille, rows = qMax(run.rowCount() - run.firstRow(), 1);
            for (int row = run.firstRow(); row < run.rowCount(); ++row) {
                if (!isDataRow(run, row))
                    continue;
                import.append(run, row);
                // Within a run, the rows gone in tell how far it has got.
                permille = from + (item.permille - from) * (row - run.firstRow() + 1) / rows;
                if (import.done() % 100 == 0 && stopped(permille))
                    return std::nullopt;
            }
            permille = item.permille;
            if (stopped(permille))
                return std::nullopt;
        }
        if (import.done() == 0)
            import.undo();
        else
            import.commit();
    } catch (...) {
        import.undo();
        throw;
    }
    return import.done();
}

QString columnLetters(int column)
{
    QString letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

std::optional<QVariant> valueFor(const QVariant &cell, const ColumnDef &column)
{
    if (column.type != FieldType::Bool) {
        const QString text = Worksheet::cellText(cell);
        // Empty is empty whether the cell is blank or holds empty text: a required column
        // refuses both.
        if (text.isEmpty())
            return QVariant();
        return FieldValue::parse(text, column.type);
    }
    if (cell.typeId() == QMetaType::Bool)
        return cell;
    const QString text = Worksheet::cellText(cell).trimmed();
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    if (isNumber)
        return QVariant(number != 0);
    if (text.isEmpty())
        return std::nullopt;
    return FieldValue::parse(text, FieldType::Bool);
}

} // namespace SheetImport
