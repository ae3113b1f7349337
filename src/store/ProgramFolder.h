#pragma once

#include <QString>

// The folder of the program file, fixed once at start-up; every data file is found in it.
// Always ends with "/".
namespace ProgramFolder {
QString path();
void set(const QString &folder);
QString file(const QString &name); // path() + name
QString databasePath();            // notedb.db
QString settingsPath();            // GridWidth.ini
QString notesFolder();             // Notes/
} // namespace ProgramFolder
