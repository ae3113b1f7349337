// Opening a record window on 100,000 and on 1,000,000 records of 10 columns, filtering it by
// keyword (its footers summed anew), marking the rows found as printed, summing its footers
// and saving an edited record, each beside reading the same table with SELECT * through the
// same driver, and the peak memory of each size. Each size runs in a process of its own, so that
// its peak is its own. Run by hand: build/bench/bench_recordwindow [records]
#include "records/FilterControls.h"
#include "records/TmakeNote.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/FooterSums.h"
#include "store/KindRecords.h"
#include "store/ProgramFolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void createTable(int records)
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
    for (int i = 0; i < records; ++i) {
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

double selectAllMs()
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

double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}

int runOneSize(int records)
{
    QTemporaryDir dir;
    ProgramFolder::set(dir.path());
    QFile(ProgramFolder::databasePath()).open(QIODevice::WriteOnly);
    Database::connect(ProgramFolder::databasePath());
    createTable(records);
    const double beforeWindow = peakMegabytes();

    const double selectAll = selectAllMs();

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
    t.restart();
    KindRecords::markViewPrinted(*window.mainDataSet());
    QApplication::processEvents();
    const double marking = t.nsecsElapsed() / 1e6;

    window.findChild<RadioGroup *>(QStringLiteral("rgPrint"))->setItemIndex(2);
    keyword->clear();
    window.btnSearchClick();
    QApplication::processEvents();
    t.restart();
    const QStringList footers = ViewFooter().texts(*window.mainDataSet());
    const double sums = t.nsecsElapsed() / 1e6;
    t.restart();
    const QStringList readFooters = FooterTexts(*window.mainDataSet());
    const double readSums = t.nsecsElapsed() / 1e6;
    // A record saved in the shown window, its footers brought up to date.
    DataSet &table = *window.mainDataSet();
    table.setCurrentRow(table.rowCount() / 2);
    QApplication::processEvents();
    t.restart();
    table.edit();
    table.setFieldValue(QStringLiteral("金额"), QStringLiteral("12.34"));
    table.post();
    QApplication::processEvents();
    const double saving = t.nsecsElapsed() / 1e6;

    std::printf("records: %d, columns: 10\n", records);
    std::printf("  SELECT * read through QSqlQuery:  %9.1f ms\n", selectAll);
    std::printf("  first screen shown:               %9.1f ms  (%.2fx SELECT *; aim < 1000 ms)\n",
                open, open / selectAll);
    std::printf("  keyword filter (%7d in view):  %9.1f ms  (%.2fx SELECT *; aim < 500 ms;"
                " footers included)\n",
                inView, filter, filter / selectAll);
    std::printf("  marking those %7d as printed:  %9.1f ms  (%.2fx SELECT *)\n", inView, marking,
                marking / selectAll);
    std::printf("  exact footers over %7d rows:   %9.1f ms  (%.2fx SELECT *; aim < 500 ms)"
                "  sum of 金额 %s\n",
                window.mainDataSet()->rowCount(), sums, sums / selectAll,
                qPrintable(footers.value(7)));
    std::printf("  the same footers reading each row: %9.1f ms  (sum of 金额 %s)\n", readSums,
                qPrintable(readFooters.value(7)));
    std::printf("  saving one edited record:         %9.1f ms  (footers included)\n", saving);
    std::printf("  peak memory (VmHWM):              %9.1f MB  (%.1f MB before the window; aim "
                "< 300 MB)\n",
                peakMegabytes(), beforeWindow);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1)
        return runOneSize(QString::fromLocal8Bit(argv[1]).toInt());
    for (const char *size : {"100000", "1000000"}) {
        QProcess one;
        one.setProcessChannelMode(QProcess::ForwardedChannels);
        one.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(size)});
        one.waitForFinished(-1);
    }
    return 0;
}
