#include "Catalogue.h"

#include "SqlHelpers.h"

int Catalogue::KindsWithCodePrefix(const QSqlDatabase &db, const QString &code)
{
    const QString trimmed = code.trimmed();
    return GetSqlValue(
               db,
               QStringLiteral(
                   "SELECT count(*) FROM noteKind WHERE substr(kindCode, 1, ?) = ? COLLATE NOCASE"),
               {int(trimmed.size()), trimmed.toUpper()})
        .toInt();
}

QList<Catalogue::FormKind> Catalogue::FormKinds(const QSqlDatabase &db)
{
    QList<FormKind> kinds;
    const DataPacket rows = GetSqlData(
        db, QStringLiteral("SELECT kindCode, kindName, template IS NOT NULL FROM noteKind "
                           "WHERE layer = 2 ORDER BY kindCode"));
    for (const QVariantList &row : rows.rows) {
        FormKind kind{row[0].toString(), row[1].toString(), 0, row[2].toBool()};
        if (TableExists(db, kind.name))
            kind.records =
                GetSqlValue(db, QStringLiteral("SELECT count(*) FROM %1").arg(quoteName(kind.name)))
                    .toInt();
        kinds.append(kind);
    }
    return kinds;
}

std::optional<QString> Catalogue::KindName(const QSqlDatabase &db, const QString &code)
{
    const DataPacket rows =
        GetSqlData(db, QStringLiteral("SELECT kindName FROM noteKind WHERE kindCode = ?"), {code});
    if (rows.rows.isEmpty())
        return std::nullopt;
    return rows.rows[0][0].toString();
}
