#include "ProgramFolder.h"

#include <QDir>

namespace {
QString &folder()
{
    static QString value;
    return value;
}
} // namespace

namespace ProgramFolder {

QString path()
{
    return folder();
}

void set(const QString &f)
{
    QString p = QDir::cleanPath(QDir(f).absolutePath());
    if (!p.endsWith(u'/'))
        p += u'/';
    folder() = p;
}

QString file(const QString &name)
{
    return folder() + name;
}

QString databasePath()
{
    return file(QStringLiteral("notedb.db"));
}

QString settingsPath()
{
    return file(QStringLiteral("GridWidth.ini"));
}

QString notesFolder()
{
    return file(QStringLiteral("Notes/"));
}

} // namespace ProgramFolder
