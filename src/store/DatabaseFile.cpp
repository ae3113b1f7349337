#include "DatabaseFile.h"

#include "SqlHelpers.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sqlite3.h>

namespace DatabaseFile {

namespace {

struct CloseDatabase {
    void operator()(sqlite3 *db) const { sqlite3_close(db); }
};
using Handle = std::unique_ptr<sqlite3, CloseDatabase>;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

Handle openFile(const QString &path, int flags)
{
    sqlite3 *db = nullptr;
    const int result = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    Handle handle(db);
    if (result != SQLITE_OK)
        throw StoreError(QStringLiteral("无法打开数据库文件%1").arg(shown(path)),
                         QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(result)));
    return handle;
}

// One text value of a statement; an error of the file (not a database, damaged) is thrown.
QString firstValue(sqlite3 *db, const char *statement, const QString &path)
{
    sqlite3_stmt *raw = nullptr;
    int result = sqlite3_prepare_v2(db, statement, -1, &raw, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> query(raw, sqlite3_finalize);
    if (result == SQLITE_OK)
        result = sqlite3_step(raw);
    if (result == SQLITE_ROW)
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(raw, 0)));
    throw StoreError(QStringLiteral("文件%1不是本程序的数据库文件").arg(shown(path)),
                     QString::fromUtf8(sqlite3_errmsg(db)));
}

// A name beside target, not yet taken, that tells when the file was set aside.
QString keptName(const QString &target, const QDateTime &now)
{
    const QFileInfo info(target);
    const QString stem = info.dir().filePath(info.completeBaseName() +
                                             now.toString(QStringLiteral("_yyyyMMdd_HHmmss")));
    QString name = stem + u'.' + info.suffix();
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("_%1.").arg(n) + info.suffix();
    return name;
}

} // namespace

void BackupTo(const QSqlDatabase &db, const QString &path)
{
    sqlite3 *source = SqliteHandle(db);
    if (!source)
        throw StoreError(QStringLiteral("数据库没有打开，无法备份"));
    QTemporaryFile copy(path + QStringLiteral(".XXXXXX"));
    if (!copy.open())
        throw StoreError(QStringLiteral("无法在%1写入备份：%2")
                             .arg(shown(QFileInfo(path).absolutePath()), copy.errorString()));
    copy.close();
    {
        Handle target = openFile(copy.fileName(), SQLITE_OPEN_READWRITE);
        // All pages in one step: the source stays read-locked throughout, so the copy is one
        // moment of it.
        sqlite3_backup *backup = sqlite3_backup_init(target.get(), "main", source, "main");
        if (!backup)
            throw StoreError(QStringLiteral("无法备份数据库"),
                             QString::fromUtf8(sqlite3_errmsg(target.get())));
        const int stepped = sqlite3_backup_step(backup, -1);
        const int finished = sqlite3_backup_finish(backup);
        if (stepped != SQLITE_DONE || finished != SQLITE_OK)
            throw StoreError(
                QStringLiteral("备份数据库时出错"),
                QString::fromUtf8(sqlite3_errstr(stepped != SQLITE_DONE ? stepped : finished)));
    }
    // Renaming replaces an older backup in one step: there is always one whole file there.
    if (std::rename(QFile::encodeName(copy.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        throw StoreError(QStringLiteral("无法写入备份文件%1").arg(shown(path)),
                         QString::fromLocal8Bit(std::strerror(errno)));
    copy.setAutoRemove(false);
}

void CheckIsProgramDatabase(const QString &path)
{
    const Handle db = openFile(path, SQLITE_OPEN_READONLY);
    const QString check = firstValue(db.get(), "PRAGMA quick_check", path);
    if (check != u"ok")
        throw StoreError(QStringLiteral("数据库文件%1已损坏").arg(shown(path)), check);
    if (firstValue(db.get(),
                   "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'noteKind' "
                   "COLLATE NOCASE",
                   path) != u"1")
        throw StoreError(QStringLiteral("文件%1不是本程序的数据库文件").arg(shown(path)),
                         QStringLiteral("no table noteKind"));
}

QString ReplaceWith(const QString &target, const QString &source, const QDateTime &now)
{
    // The copy is checked, not the source: what is checked is what goes in.
    QTemporaryFile copy(target + QStringLiteral(".XXXXXX"));
    QFile from(source);
    if (!copy.open() || !from.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("无法复制数据库文件%1").arg(shown(source)),
                         copy.errorString() + u' ' + from.errorString());
    while (!from.atEnd()) {
        const QByteArray block = from.read(1 << 20);
        if (block.isEmpty() && from.error() != QFileDevice::NoError)
            break;
        if (copy.write(block) != block.size())
            throw StoreError(QStringLiteral("无法复制数据库文件：%1").arg(copy.errorString()));
    }
    if (from.error() != QFileDevice::NoError || !copy.flush())
        throw StoreError(QStringLiteral("无法复制数据库文件%1").arg(shown(source)),
                         from.errorString() + u' ' + copy.errorString());
    copy.close();
    CheckIsProgramDatabase(copy.fileName());
    const QString kept = keptName(target, now);
    if (!QFile::rename(target, kept))
        throw StoreError(QStringLiteral("无法保留原来的数据库文件%1").arg(shown(target)));
    if (!copy.rename(target)) {
        QFile::rename(kept, target);
        throw StoreError(
            QStringLiteral("无法替换数据库文件%1：%2").arg(shown(target), copy.errorString()));
    }
    copy.setAutoRemove(false);
    return kept;
}

} // namespace DatabaseFile
