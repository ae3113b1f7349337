#include "FolderCopy.h"

#include <QDir>
#include <QFile>

FolderCopy::Counts FolderCopy::CopyNewFiles(const QString &from, const QString &to)
{
    Counts counts;
    const QDir source(from);
    const QDir target(to);
    const QStringList files =
        source.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    // A folder without files makes no folder on the other side.
    if (!files.isEmpty() && !target.exists() && !target.mkpath(QStringLiteral("."))) {
        counts.failed = int(files.size());
        return counts;
    }
    for (const QString &name : files) {
        if (target.exists(name))
            ++counts.kept;
        else if (QFile::copy(source.filePath(name), target.filePath(name)))
            ++counts.copied;
        else
            ++counts.failed;
    }
    return counts;
}
