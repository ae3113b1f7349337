#pragma once

#include <QDir>
#include <QTest>

namespace FixtureRows {

// One data row per file of a fixture folder, named after the file, its path in the column
// "fileName". False when the folder holds fewer than `atLeast` files (gone missing).
inline bool addFiles(const QString &folder, int atLeast)
{
    QTest::addColumn<QString>("fileName");
    const QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files);
    for (const QString &name : files)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
    return files.size() >= atLeast;
}

} // namespace FixtureRows
