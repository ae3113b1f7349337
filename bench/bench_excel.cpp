// Exports and imports 100,000 rows of 10 columns through the spreadsheet routines and times
// openpyxl doing the same work on the same machine (timed inside Python): writing the rows
// as text cells in the "@" format (its fastest, write-only mode), reading the sheet (read-only
// mode), and reading it into a table of the same database (one transaction). Ours export
// from an open data set and import through a data set shown in a grid with its footer, as the
// record window shows it, file reading included. Beside the elapsed times stand the
// processor times, which hold still on a machine busy with other work; our import reads the
// file on a second thread, so its processor time counts both threads.
//
//   build/bench/bench_excel [rows] [--without-openpyxl]

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/SqlHelpers.h"
#include "store/Worksheet.h"
#include "widgets/ExcelRoutines.h"
#include "widgets/FileDialogs.h"
#include "widgets/GridFooter.h"
#include "widgets/Messages.h"
#include "widgets/RecordGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

namespace {

const char *Columns = "ID INTEGER PRIMARY KEY AUTOINCREMENT, 单号 Text (20), 收货单位 Text (50), "
                      "地址 Text (100), 金额 Currency, 数量 Long, 单价 Number, 发货日期 Time, "
                      "备注 Text (100), 打印标记 yesno NOT NULL DEFAULT 0";

void fill(const QSqlDatabase &db, int rows)
{
    RunSql(db, QStringLiteral("CREATE TABLE 运单 (%1)").arg(QString::fromUtf8(Columns)));
    RunSql(db, QStringLiteral("CREATE TABLE 运单副本 (%1)").arg(QString::fromUtf8(Columns)));
    QSqlDatabase(db).transaction();
    for (int i = 0; i < rows; ++i)
        RunSql(
            db,
            "INSERT INTO 运单 (单号, 收货单位, 地址, 金额, 数量, 单价, 发货日期, 备注, 打印标记) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {QStringLiteral("YD%1").arg(i, 8, 10, QLatin1Char('0')),
             QStringLiteral("北京华联商贸有限公司%1").arg(i % 97),
             QStringLiteral("北京市朝阳区建国路%1号").arg(i % 1000), (i % 100000) / 100.0 + 0.25,
             i % 50, 3.5 + i % 7,
             QStringLiteral("2026-12-%1 00:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
             QStringLiteral("备注%1").arg(i), i % 2});
    QSqlDatabase(db).commit();
}

struct Times {
    double elapsedMs = 0;
    double processorMs = 0;
};

double processorMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

// Times a piece of our own work.
class Timer {
public:
    Timer() { m_elapsed.start(); }
    Times stop() const { return {double(m_elapsed.elapsed()), processorMs() - m_processorStart}; }

private:
    QElapsedTimer m_elapsed;
    double m_processorStart = processorMs();
};

// Runs an inline Python script; its output is the elapsed and the processor time it
// measured, in milliseconds.
bool withPython = true;

Times python(const QString &script, const QStringList &arguments)
{
    if (!withPython)
        return {};
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{QStringLiteral("-c"), script} + arguments);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "python failed: %s\n", p.readAllStandardError().constData());
        return {-1, -1};
    }
    const QList<QByteArray> times = p.readAllStandardOutput().simplified().split(' ');
    return {times.value(0).toDouble(), times.value(1).toDouble()};
}

const char *PythonExport = R"(
import sys, time
from openpyxl import Workbook
from openpyxl.cell import WriteOnlyCell
rows = int(sys.argv[2])
data = [[str(i + 1), "YD%08d" % i, "北京华联商贸有限公司%d" % (i % 97), "北京市朝阳区建国路%d号" % (i % 1000),
         str((i % 100000) / 100.0 + 0.25), str(i % 50), str(3.5 + i % 7), "2026-12-%02d" % (1 + i % 28),
         "备注%d" % i, "True" if i % 2 else "False"] for i in range(rows)]
start, cpu = time.perf_counter(), time.process_time()
wb = Workbook(write_only=True)
ws = wb.create_sheet("运单")
def text(v):
    c = WriteOnlyCell(ws, value=v)
    c.number_format = "@"
    return c
ws.append([text(t) for t in ["ID", "单号", "收货单位", "地址", "金额", "数量", "单价", "发货日期", "备注", "打印标记"]])
for row in data:
    ws.append([text(v) for v in row])
wb.save(sys.argv[1])
print((time.perf_counter() - start) * 1000, (time.process_time() - cpu) * 1000)
)";

const char *PythonRead = R"(
import sys, time
from openpyxl import load_workbook
start, cpu = time.perf_counter(), time.process_time()
ws = load_workbook(sys.argv[1], read_only=True).worksheets[0]
rows = [list(r) for r in ws.iter_rows(min_row=1, values_only=True)]
print((time.perf_counter() - start) * 1000, (time.process_time() - cpu) * 1000)
)";

const char *PythonImport = R"(
import sys, time, sqlite3
from openpyxl import load_workbook
db = sqlite3.connect(sys.argv[2])
db.execute('CREATE TABLE "运单副本" (%s)' % sys.argv[3])
start, cpu = time.perf_counter(), time.process_time()
ws = load_workbook(sys.argv[1], read_only=True).worksheets[0]
rows = [r[1:9] for r in ws.iter_rows(min_row=2, values_only=True) if r[0] is not None and str(r[0]).strip()]
with db:
    db.executemany('INSERT INTO "运单副本" (单号, 收货单位, 地址, 金额, 数量, 单价, 发货日期, 备注) VALUES (?, ?, ?, ?, ?, ?, ?, ?)', rows)
print((time.perf_counter() - start) * 1000, (time.process_time() - cpu) * 1000)
)";

void report(const char *work, const Times &ours, const Times &theirs)
{
    auto ratio = [](double a, double b) { return a > 0 ? b / a : 0.0; };
    std::printf("%-55s %7.0f ms   openpyxl %7.0f ms  %5.1fx   processor %6.0f / %6.0f ms  %5.1fx\n",
                work, ours.elapsedMs, theirs.elapsedMs, ratio(ours.elapsedMs, theirs.elapsedMs),
                ours.processorMs, theirs.processorMs, ratio(ours.processorMs, theirs.processorMs));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    withPython = !(argc > 2 && QByteArray(argv[2]) == "--without-openpyxl");
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("notedb.db"));
    QFile(dbPath).open(QIODevice::WriteOnly);
    const QSqlDatabase db = Database::connect(dbPath);
    fill(db, rows);

    Messages::setResponder([](const Messages::Shown &shown) {
        std::fprintf(stderr, "message: %s\n", qPrintable(shown.text));
        return true;
    });
    QString exported;
    FileDialogs::setOpener([&](const QString &path) {
        exported = path;
        return true;
    });
    FileDialogs::setResponder([&](const FileDialogs::Request &) { return exported; });

    std::printf("%d rows x 10 columns\n", rows);
    DataSet source;
    source.setDatabase(db);
    source.setTableName(QStringLiteral("运单"));
    source.open();
    Timer timer;
    ExportGridToExcel(nullptr, &source, QStringLiteral("运单"));
    const Times exportTimes = timer.stop();
    const QString theirs = dir.filePath(QStringLiteral("openpyxl.xlsx"));
    report("export (ExportGridToExcel / write_only)", exportTimes,
           python(QString::fromUtf8(PythonExport), {theirs, QString::number(rows)}));

    timer = Timer();
    const Worksheet sheet = Worksheet::readFirst(exported);
    // Stopped before openpyxl runs: the order in which a call's arguments are worked out is
    // the compiler's to choose.
    const Times readTimes = timer.stop();
    report("read the sheet (Worksheet / read_only)", readTimes,
           python(QString::fromUtf8(PythonRead), {exported}));

    DataSet target;
    target.setDatabase(db);
    target.setTableName(QStringLiteral("运单副本"));
    target.open();
    // Into a table on screen, as the record window imports: the grid and its footer follow.
    RecordGrid grid(&target);
    GridFooter footer(&grid);
    grid.resize(1000, 600);
    grid.show();
    QApplication::processEvents();
    timer = Timer();
    const bool imported = ImportExcelRows(nullptr, &target, QStringLiteral("ID;打印标记"));
    const Times importTimes = timer.stop();
    const int count = GetSqlValue(db, QStringLiteral("SELECT COUNT(*) FROM 运单副本")).toInt();
    report("import (ImportExcelRows into a grid / read_only+sqlite3)", importTimes,
           python(QString::fromUtf8(PythonImport),
                  {exported, dir.filePath(QStringLiteral("openpyxl.db")),
                   QString::fromUtf8(Columns)}));
    std::printf("imported %d rows%s\n", count, imported ? "" : " (import failed)");
    QDir(QFileInfo(exported).absolutePath()).removeRecursively();
    return imported && count == sheet.rowCount() - 1 ? 0 : 1;
}
