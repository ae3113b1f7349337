#pragma once

#include <QSqlDatabase>
#include <QString>

// The one shared connection "conNote" to the program's database file.
namespace Database {

inline constexpr const char *ConnectionName = "conNote";

// Opens "conNote" on the file when it is not connected; a connected one is left alone.
// A missing file is an error: it is never silently replaced by an empty one.
QSqlDatabase connect(const QString &path);
void disconnect();
QSqlDatabase connection();

// A program folder that has never held a database gets the schema and the demo, and a
// Notes/ folder. Returns false (and does nothing) when the folder held one before.
bool createDemoIfFirstStart(const QString &programFolder);

// Runs a script of statements, each ending with ";" at the end of a line, in one
// transaction.
void runScript(const QSqlDatabase &db, const QString &script);

} // namespace Database
