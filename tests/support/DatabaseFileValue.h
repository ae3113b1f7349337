#pragma once

#include "store/SqlHelpers.h"

#include <QScopeGuard>
#include <QSqlDatabase>

// Runs statement on the SQLite file at path on a connection of its own, gone afterwards, so
// the program's connection is left as it was; the first value the statement gives, or
// "<cannot open>".
inline QString valueInDatabaseFile(const QString &path, const QString &statement)
{
    const QString name = QStringLiteral("database file under test");
    const auto removeConnection = qScopeGuard([&name] { QSqlDatabase::removeDatabase(name); });
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open())
        return QStringLiteral("<cannot open>");
    const QString value = GetSqlValue(db, statement);
    db.close();
    return value;
}
