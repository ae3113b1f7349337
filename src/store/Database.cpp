#include "Database.h"

#include "SqlHelpers.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

// The schema and demo are compiled into this static library; a static library's resources
// are registered by hand.
static void registerDataResources()
{
    Q_INIT_RESOURCE(data);
}

namespace Database {

QSqlDatabase connection()
{
    return QSqlDatabase::database(QLatin1String(ConnectionName), false);
}

QSqlDatabase connect(const QString &path)
{
    QSqlDatabase db = connection();
    if (db.isValid() && db.isOpen())
        return db;
    if (!QFile::exists(path))
        throw StoreError(
            QStringLiteral("找不到数据库文件：%1").arg(QDir::toNativeSeparators(path)));
    if (!db.isValid())
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(ConnectionName));
    db.setDatabaseName(path);
    if (!db.open())
        throw StoreError(QStringLiteral("无法打开数据库：%1").arg(db.lastError().text()));
    QSqlQuery pragma(db);
    // A table that another copy or program has locked is waited for briefly, not failed at once.
    pragma.exec(QStringLiteral("PRAGMA busy_timeout = 5000"));
    // A file that is not a database is refused here, not at the first statement.
    if (!pragma.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        const QString why = pragma.lastError().text();
        pragma.finish();
        db.close();
        throw StoreError(QStringLiteral("无法打开数据库：%1").arg(why));
    }
    return db;
}

void disconnect()
{
    {
        QSqlDatabase db = connection();
        if (db.isValid())
            db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(ConnectionName));
}

void runScript(const QSqlDatabase &db, const QString &script)
{
    QSqlDatabase target = db;
    if (!target.transaction())
        throw StoreError(QStringLiteral("数据库错误：%1").arg(target.lastError().text()));
    try {
        QString statement;
        for (const QString &line : script.split(u'\n')) {
            if (line.trimmed().startsWith(QLatin1String("--")))
                continue;
            statement += line + u'\n';
            if (line.trimmed().endsWith(u';')) {
                RunSql(target, statement);
                statement.clear();
            }
        }
        if (!statement.trimmed().isEmpty())
            RunSql(target, statement);
    } catch (...) {
        target.rollback();
        throw;
    }
    target.commit();
}

static QString resourceText(const QString &name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw StoreError(QStringLiteral("程序文件不完整，缺少%1").arg(name));
    return QString::fromUtf8(f.readAll());
}

bool createDemoIfFirstStart(const QString &programFolder)
{
    const QDir folder(programFolder);
    const QString dbPath = folder.filePath(QStringLiteral("notedb.db"));
    // Notes/ is made together with the database: a folder that has it held one before.
    if (QFile::exists(dbPath) || folder.exists(QStringLiteral("Notes")))
        return false;
    registerDataResources();
    const QString script = resourceText(QStringLiteral(":/data/schema.sql")) +
                           resourceText(QStringLiteral(":/data/demo.sql"));
    const QByteArray demoTemplate =
        resourceText(QStringLiteral(":/data/demo_waybill.xml")).toUtf8();
    const QString connectionName = QStringLiteral("quillet-setup");
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(dbPath);
        if (!db.open()) {
            failure = QStringLiteral("无法创建数据库：%1").arg(db.lastError().text());
        } else {
            try {
                runScript(db, script);
                // The waybill comes with its template: a waybill laid over a scan of the form.
                RunSql(db,
                       QStringLiteral(
                           "UPDATE noteKind SET template = ?, modqty = 1 WHERE kindCode = 'A01'"),
                       {demoTemplate});
            } catch (const StoreError &e) {
                failure = e.message();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (!failure.isEmpty()) {
        QFile::remove(dbPath);
        throw StoreError(failure);
    }
    folder.mkpath(QStringLiteral("Notes"));
    // Every stored template has its numbered copy in Notes/.
    QFile history(folder.filePath(QStringLiteral("Notes/A01_1.fr3")));
    if (history.open(QIODevice::WriteOnly))
        history.write(demoTemplate);
    return true;
}

} // namespace Database
