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
