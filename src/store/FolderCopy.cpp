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
    for (const QString &name : files) {
        if (!target.exists() && !target.mkpath(QStringLiteral("."))) {
            ++counts.failed;
            continue;
        }
        if (target.exists(name))
            ++counts.kept;
        else if (QFile::copy(source.filePath(name), target.filePath(name)))
            ++counts.copied;
        else
            ++counts.failed;
    }
    return counts;
}
