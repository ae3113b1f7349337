#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

// The database file as a whole: copied out while it is open, checked, and put back.
namespace DatabaseFile {

// Writes a consistent copy of the open database to path through SQLite's online backup, so
// that a backup taken while records are being written is never torn. The copy is written
// beside the target and put in its place at the end: a failed backup leaves what was there.
void BackupTo(const QSqlDatabase &db, const QString &path);

// Throws StoreError, with the reason, unless the file is an undamaged SQLite database with
// the program's catalogue table noteKind.
void CheckIsProgramDatabase(const QString &path);

// Replaces the database file at target by a copy of source once the copy has passed the
// check above. The file replaced is kept beside it under a name with the time of the
// replacement, which is returned. No connection may be open on target. On any failure
// target is left exactly as it was.
QString ReplaceWith(const QString &target, const QString &source, const QDateTime &now);

} // namespace DatabaseFile
