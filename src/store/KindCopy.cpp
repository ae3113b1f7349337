#include "KindCopy.h"

#include "FieldStructure.h"
#include "KindCode.h"
#include "SqlHelpers.h"
#include "StoreError.h"

#include <QSqlError>

namespace KindCopy {

namespace {

constexpr int HighestNumber = 99; // two digits after the category's code

QString columnDefinition(const QVariantList &info, bool soleKey, bool autoIncrement)
{
    // table_info columns: cid, name, type, notnull, dflt_value, pk
    QString definition = quoteName(info[1].toString());
    const QString type = info[2].toString();
    if (!type.isEmpty())
        definition += u' ' + type;
    if (soleKey && info[5].toInt() == 1)
        definition += autoIncrement ? QStringLiteral(" PRIMARY KEY AUTOINCREMENT")
                                    : QStringLiteral(" PRIMARY KEY");
    if (info[3].toInt() != 0)
        definition += QStringLiteral(" NOT NULL");
    // The default comes back as it was written in the definition, quotes included.
    if (!info[4].isNull())
        definition += QStringLiteral(" DEFAULT ") + info[4].toString();
    return definition;
}

} // namespace

QString NextCode(const QString &parentCode, const QString &greatestSiblingCode)
{
    const QString greatest = greatestSiblingCode.trimmed();
    const qsizetype position = greatest.indexOf(parentCode.trimmed()) + 1;
    const QString tail = greatest.right(greatest.size() - position);
    bool isNumber = false;
    const int number = tail.toInt(&isNumber);
    if (!isNumber || number < 0)
        throw StoreError(QStringLiteral("无法由编码“%1”得出新单据的编码").arg(greatest));
    if (number >= HighestNumber)
        throw StoreError(
            QStringLiteral("“%1”类的单据编码已用到%2，不能再增加单据").arg(parentCode, greatest));
    const QString next =
        parentCode.trimmed() + QStringLiteral("%1").arg(number + 1, 2, 10, QLatin1Char('0'));
    // A kind without its category row would get a code the tree cannot place.
    if (KindCode::KindCodeLevel(next) != 2)
        throw StoreError(QStringLiteral("无法由编码“%1”得出新单据的编码").arg(greatest));
    return next;
}

Plan PlanCopy(const QSqlDatabase &db, const QString &code)
{
    const DataPacket parent =
        GetSqlData(db, QStringLiteral("SELECT parentId FROM noteKind WHERE kindCode = ?"), {code});
    if (parent.rows.isEmpty())
        throw StoreError(QStringLiteral("找不到编码为“%1”的单据").arg(code));
    Plan plan;
    plan.parentId = parent.rows.first().first();
    const QString parentCode = GetSqlValue(
        db, QStringLiteral("SELECT kindCode FROM noteKind WHERE ID = ?"), {plan.parentId});
    const QString greatest =
        GetSqlValue(db, QStringLiteral("SELECT max(kindCode) FROM noteKind WHERE parentId IS ?"),
                    {plan.parentId});
    plan.newCode = NextCode(parentCode, greatest);
    return plan;
}

void CopyKind(const QSqlDatabase &db, const Plan &plan, const QString &sourceTable,
              const QString &newName)
{
    const QString name = newName.trimmed();
    if (name.isEmpty())
        throw StoreError(QStringLiteral("新单据的名称不能为空"));
    if (FieldStructure::IsReservedTableName(name))
        throw StoreError(QStringLiteral("“%1”是系统自用的名称，请换一个").arg(name));
    QSqlDatabase target = db;
    if (!target.transaction())
        throw EngineError(target.lastError());
    try {
        RunSql(target,
               QStringLiteral("INSERT INTO noteKind (kindCode, kindName, parentId, layer, "
                              "created_by) VALUES (?, ?, ?, 2, ?)"),
               {plan.newCode, name, plan.parentId, QStringLiteral("系统")});
        CopyTable(target, sourceTable, name);
    } catch (...) {
        target.rollback();
        throw;
    }
    if (!target.commit()) {
        const QSqlError why = target.lastError();
        target.rollback();
        throw EngineError(why);
    }
}

void CopyTable(const QSqlDatabase &db, const QString &source, const QString &target)
{
    const DataPacket columns =
        GetSqlData(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoteName(source)));
    if (columns.rows.isEmpty())
        throw StoreError(QStringLiteral("数据表“%1”不存在").arg(source));
    const QString definition = GetSqlValue(
        db,
        QStringLiteral(
            "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
        {source});
    const bool autoIncrement =
        definition.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive);
    QStringList keys;
    for (const QVariantList &c : columns.rows)
        if (c[5].toInt() > 0)
            keys << quoteName(c[1].toString());
    QStringList definitions;
    for (const QVariantList &c : columns.rows)
        definitions << columnDefinition(c, keys.size() == 1, autoIncrement);
    if (keys.size() > 1)
        definitions << QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QStringLiteral(", ")));
    RunSql(db, QStringLiteral("CREATE TABLE %1 (%2)")
                   .arg(quoteName(target), definitions.join(QStringLiteral(", "))));
    RunSql(db, QStringLiteral("INSERT INTO %1 SELECT * FROM %2")
                   .arg(quoteName(target), quoteName(source)));
    if (autoIncrement)
        KeepCounterPosition(db, target, CounterPosition(db, source));
}

} // namespace KindCopy
