// Opening a record window on 100,000 records of 10 columns, filtering it by keyword and
// summing its footers, each beside reading the same table with SELECT * through the same
// driver. Run by hand: build/bench/bench_recordwindow
#include "records/FilterControls.h"
#include "records/TmakeNote.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/FooterSums.h"
#include "store/ProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int Records = 100000;

void createTable()
{
    QString script = QStringLiteral("CREATE TABLE 大单 (ID INTEGER PRIMARY KEY AUTOINCREMENT, 单号 "
                                    "Text (20), 客户 Text (50), 地址 Text (100),"
                                    " 备注 Text (100), 数量 Long, 重量 Number, 金额 Currency, "
                                    "打印标记 yesno NOT NULL DEFAULT 0, 填写日期 Time);\n");
    Database::runScript(Database::connection(), script);
    QSqlDatabase db = Database::connection();
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "INSERT INTO 大单 (单号, 客户, 地址, 备注, 数量, 重量, 金额, 打印标记, 填写日期) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < Records; ++i) {
        insert.addBindValue(QStringLiteral("YD%1").arg(i, 8, 10, QLatin1Char('0')));
        insert.addBindValue(QStringLiteral("客户公司%1号").arg(i % 5000));
        insert.addBindValue(QStringLiteral("某省某市某区某路%1号").arg(i % 997));
        insert.addBindValue(i % 10 == 0 ? QStringLiteral("加急件") : QString());
        insert.addBindValue(i % 50);
        insert.addBindValue(i * 0.25);
        insert.addBindValue((i % 100000) / 100.0);
        insert.addBindValue(i % 3 == 0 ? 1 : 0);
        insert.addBindValue(QStringLiteral("2026-%1-%2 00:00:00")
                                .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                .arg(1 + i % 28, 2, 10, QLatin1Char('0')));
        insert.exec();
    }
    db.commit();
}

double readAllBaseline()
{
    QElapsedTimer t;
    t.start();
    QSqlQuery q(Database::connection());
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT * FROM 大单"));
    qint64 cells = 0;
    while (q.next())
        for (int c = 0; c < 10; ++c)
            cells += q.value(c).isNull() ? 0 : 1;
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    ProgramFolder::set(dir.path());
    QFile(ProgramFolder::databasePath()).open(QIODevice::WriteOnly);
    Database::connect(ProgramFolder::databasePath());
    createTable();

    const double baseline = readAllBaseline();
    double dataSetOpen = 0;
    {
        DataSet alone;
        alone.setDatabase(Database::connection());
        alone.setTableName(QStringLiteral("大单"));
        alone.setFilter(QStringLiteral("打印标记=0"));
        alone.setFiltered(true);
        QElapsedTimer t;
        t.start();
        alone.open();
        dataSetOpen = t.nsecsElapsed() / 1e6;
    }

    QElapsedTimer t;
    t.start();
    TmakeNote window(QStringLiteral("Z01"));
    window.resize(1200, 800);
    window.openKind(QStringLiteral("大单"));
    window.show();
    QApplication::processEvents();
    const double open = t.nsecsElapsed() / 1e6;

    auto *keyword = window.findChild<QLineEdit *>(QStringLiteral("edtKeyWord"));
    window.findChild<CheckedDateEdit *>(QStringLiteral("datebegin"))->setChecked(false);
    window.findChild<CheckedDateEdit *>(QStringLiteral("dateEnd"))->setChecked(false);
    keyword->setText(QStringLiteral("4999号"));
    t.restart();
    window.btnSearchClick();
    QApplication::processEvents();
    const double filter = t.nsecsElapsed() / 1e6;
    const int inView = window.mainDataSet()->rowCount();

    window.findChild<RadioGroup *>(QStringLiteral("rgPrint"))->setItemIndex(2);
    keyword->clear();
    window.btnSearchClick();
    t.restart();
    const QStringList footers = FooterTexts(*window.mainDataSet());
    const double sums = t.nsecsElapsed() / 1e6;

    std::printf("records: %d, columns: 10\n", Records);
    std::printf("SELECT * read through QSqlQuery:     %8.1f ms\n", baseline);
    std::printf("of which the data set's read:         %8.1f ms\n", dataSetOpen);
    std::printf("open window, first screen shown:      %8.1f ms  (%.2fx the read; aim <= 3x)\n",
                open, open / baseline);
    std::printf("keyword filter (%d rows in view):    %8.1f ms  (aim < 100 ms)\n", inView, filter);
    std::printf("footers over %d rows:             %8.1f ms  (sum of 金额 %s)\n",
                window.mainDataSet()->rowCount(), sums, qPrintable(footers.value(7)));
    return 0;
}
