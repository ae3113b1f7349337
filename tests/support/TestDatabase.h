#pragma once

#include <QSqlDatabase>
#include <QStringList>
#include <QTemporaryDir>

class DataSet;

// A fresh program folder with its own database for one test: the demo when asked, or only
// the tables a test creates. The shared connection points at it while the object lives.
class TestDatabase {
public:
    enum Content { Demo, Empty };
    explicit TestDatabase(Content content = Demo);
    ~TestDatabase();

    QSqlDatabase db() const;
    QString folder() const { return m_dir.path(); }
    void exec(const QString &script) const;
    // Opens a data set on a table of this database, under the filter when one is given.
    void open(DataSet &dataSet, const QString &table, const QString &filter = QString()) const;
    // The numbers of the demo's waybills marked as printed, in the order they were entered.
    QStringList flaggedWaybills() const;

private:
    QTemporaryDir m_dir;
};
