#include "support/Python.h"
#include "support/TestFiles.h"

#include "store/NumberFormat.h"
#include "store/StoreError.h"
#include "store/Worksheet.h"
#include "store/XlsxWriter.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

// Workbooks written by other programs (openpyxl, xlwt, and an .xlsx put together by hand with
// the parts other writers use), read back cell by cell; files that are no workbook; and
// workbooks we write, read back by openpyxl.
class TestWorkbook : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }
    static QString fixture(const QString &name)
    {
        return QStringLiteral(QUILLET_FIXTURES "/") + name;
    }

    // Bytes of address space this process holds, from /proc/self/statm.
    static qint64 addressSpaceInUse()
    {
        QFile statm("/proc/self/statm");
        if (!statm.open(QIODevice::ReadOnly))
            return 0;
        return statm.readLine().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(runPython(fixture("make_openpyxl.py"), {path("openpyxl.xlsx")}));
        QVERIFY(runPython(fixture("make_xlwt.py"), {path("xlwt.xls")}));
        QVERIFY(runPython(fixture("make_handmade.py"), {path("handmade.xlsx")}));
        QVERIFY(runPython(fixture("make_oversized.py"), {m_dir.path()}));
        QVERIFY(runPython(fixture("make_prefixed.py"), {m_dir.path()}));
    }

    void readsCells_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("text");
        const int text = QMetaType::QString, number = QMetaType::Double,
                  date = QMetaType::QDateTime;
        const int flag = QMetaType::Bool, none = QMetaType::UnknownType;
        const QString x = "openpyxl.xlsx";
        QTest::newRow("chinese text") << x << 0 << 0 << text << "北京华联商厦";
        QTest::newRow("one") << x << 1 << 0 << number << "1";
        QTest::newRow("long code") << x << 2 << 0 << number << "12345678901234";
        QTest::newRow("decimal") << x << 3 << 0 << number << "1234.5";
        QTest::newRow("binary fraction as shown") << x << 4 << 0 << number << "0.3";
        QTest::newRow("leading zeros as text") << x << 5 << 0 << text << "00123";
        QTest::newRow("leading zeros by format") << x << 6 << 0 << text << "00123";
        QTest::newRow("date") << x << 7 << 0 << date << "2026-12-09";
        QTest::newRow("date and time") << x << 8 << 0 << date << "2026-12-09 18:30:05";
        QTest::newRow("custom chinese date") << x << 9 << 0 << date << "2026-12-09";
        QTest::newRow("built-in date") << x << 10 << 0 << date << "2026-12-09";
        QTest::newRow("colour is no date") << x << 11 << 0 << number << "1234.5";
        QTest::newRow("quoted text is no date") << x << 12 << 0 << number << "1234.5";
        QTest::newRow("true") << x << 13 << 0 << flag << "TRUE";
        QTest::newRow("false") << x << 14 << 0 << flag << "FALSE";
        QTest::newRow("time") << x << 15 << 0 << date << "1899-12-30 12:00:00";
        QTest::newRow("formula never computed") << x << 16 << 0 << none << "";
        QTest::newRow("negative") << x << 17 << 0 << number << "-42";
        QTest::newRow("no exponent") << x << 18 << 0 << number << "100000000000000000000";
        QTest::newRow("far cell") << x << 29 << 3 << text << "远处";
        QTest::newRow("past the far cell") << x << 29 << 4 << none << "";

        const QString h = "handmade.xlsx";
        QTest::newRow("rich text without guide") << h << 0 << 0 << text << "北京 华联";
        QTest::newRow("inline string") << h << 0 << 1 << text << "内联";
        QTest::newRow("formula text") << h << 0 << 2 << text << "ab";
        QTest::newRow("unreferenced cell") << h << 1 << 0 << text << "甲";
        QTest::newRow("formula number") << h << 1 << 1 << number << "2";
        QTest::newRow("error value") << h << 1 << 2 << text << "#DIV/0!";
        QTest::newRow("boolean") << h << 1 << 3 << flag << "TRUE";
        QTest::newRow("1904 date") << h << 2 << 0 << date << "1904-01-01";
        QTest::newRow("plain style after named styles") << h << 2 << 1 << number << "45000";
        QTest::newRow("escaped character") << h << 2 << 2 << text << "A\rB";
        QTest::newRow("style only") << h << 2 << 3 << none << "";
        QTest::newRow("lower-case reference") << h << 2 << 4 << text << "小写";

        const QString l = "xlwt.xls";
        QTest::newRow("xls chinese text") << l << 0 << 0 << text << "北京华联商厦";
        QTest::newRow("xls one") << l << 1 << 0 << -1 << "1";
        QTest::newRow("xls long code") << l << 2 << 0 << -1 << "12345678901234";
        QTest::newRow("xls decimal") << l << 3 << 0 << number << "1234.5";
        QTest::newRow("xls leading zeros") << l << 4 << 0 << text << "00123";
        QTest::newRow("xls date") << l << 5 << 0 << date << "2026-12-09";
        QTest::newRow("xls date and time") << l << 6 << 0 << date << "2026-12-09 18:30:05";
        QTest::newRow("xls negative") << l << 7 << 0 << -1 << "-42";
        QTest::newRow("xls far cell") << l << 9 << 2 << text << "远处";
        QTest::newRow("xls date format keeps the time")
            << l << 5 << 1 << date << "2026-12-09 18:30:05";
        QTest::newRow("xls true") << l << 6 << 1 << flag << "TRUE";
        QTest::newRow("xls false") << l << 7 << 1 << flag << "FALSE";
    }
    void readsCells()
    {
        QFETCH(QString, file);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, type);
        QFETCH(QString, text);
        const Worksheet sheet = Worksheet::readFirst(path(file));
        const QVariant cell = sheet.cell(row, column);
        if (type >= 0) // -1: a number of whichever kind the file stores
            QCOMPARE(cell.typeId(), type);
        QCOMPARE(Worksheet::cellText(cell), text);
    }

    void readsTheFirstWorksheet_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rows");
        QTest::newRow("openpyxl") << "openpyxl.xlsx"
                                  << "客户名单" << 30;
        QTest::newRow("chart sheet first") << "handmade.xlsx"
                                           << "数据" << 3;
        QTest::newRow("xlwt") << "xlwt.xls"
                              << "客户名单" << 10;
    }
    void readsTheFirstWorksheet()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(int, rows);
        const Worksheet sheet = Worksheet::readFirst(path(file));
        QCOMPARE(sheet.name(), name);
        QCOMPARE(sheet.rowCount(), rows);
    }

    void refusesWhatIsNoWorkbook_data()
    {
        QTest::addColumn<QString>("file");
        const QByteArray xlsx = contentOf(path("openpyxl.xlsx"));
        const QByteArray xls = contentOf(path("xlwt.xls"));
        writeFile(path("text.xlsx"), "单号,收货单位\nYD1,北京\n");
        writeFile(path("empty.xlsx"), QByteArray());
        writeFile(path("truncated.xlsx"), xlsx.left(xlsx.size() / 2));
        writeFile(path("truncated.xls"), xls.left(700));
        QByteArray garbage(4096, '\0');
        for (qsizetype i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) % 251);
        writeFile(path("garbage.xls"), garbage);
        QVERIFY(runPython(fixture("make_not_workbooks.py"),
                          {path("openpyxl.xlsx"), path("plainzip.xlsx"), path("badxml.xlsx"),
                           path("damaged.xlsx"), path("entities.xlsx")}));

        QTest::newRow("text renamed") << "text.xlsx";
        QTest::newRow("empty file") << "empty.xlsx";
        QTest::newRow("truncated zip") << "truncated.xlsx";
        QTest::newRow("damaged zip data") << "damaged.xlsx";
        QTest::newRow("truncated xls") << "truncated.xls";
        QTest::newRow("garbage") << "garbage.xls";
        // make_xlwt.py's workbook, before column B came in, with four bytes changed: freexl
        // 1.0.6 dies of a segmentation fault reading it.
        QTest::newRow("xls that crashes freexl") << fixture("damaged.xls");
        QTest::newRow("zip of something else") << "plainzip.xlsx";
        QTest::newRow("broken xml") << "badxml.xlsx";
        QTest::newRow("rows cut short") << "cutrows.xlsx";
        QTest::newRow("cell left open") << "badrow.xlsx";
        QTest::newRow("entities expanding past any limit") << "entities.xlsx";
        QTest::newRow("column reference past 32 bits") << "longref.xlsx";
        QTest::newRow("missing file") << "nothing-here.xlsx";
    }
    void refusesWhatIsNoWorkbook()
    {
        QFETCH(QString, file);
        try {
            Worksheet::readFirst(QFileInfo(file).isAbsolute() ? file : path(file));
            QFAIL("read as a workbook");
        } catch (const StoreError &e) {
            QCOMPARE(e.message(), Worksheet::NotAWorkbook);
        }
    }

    // Every row of a long sheet arrives, whatever prefix its elements carry and however it
    // is cut into pieces while reading; texts come with XML's escapes undone.
    void readsPrefixedLongSheet()
    {
        const Worksheet sheet = Worksheet::readFirst(path("prefixed.xlsx"));
        QCOMPARE(sheet.rowCount(), 30000);
        QCOMPARE(sheet.cell(0, 1), QVariant(1.0));
        QCOMPARE(sheet.text(0, 2), "a<b&c乙");
        QCOMPARE(sheet.text(0, 3), " ");
        QCOMPARE(sheet.text(0, 4), "<原样>");
        QCOMPARE(sheet.text(0, 5), "甲\n乙");
        for (int row = 0; row < sheet.rowCount(); ++row) {
            QCOMPARE(sheet.text(row, 0), QStringLiteral("第%1行").arg(row + 1));
            QCOMPARE(sheet.cell(row, 1).toDouble(), double(row + 1));
        }
        QCOMPARE(Worksheet::readFirst(path("emptyrows.xlsx")).rowCount(), 0);
    }

    // Texts are kept end to end in blocks; more than one block's worth must read back whole,
    // a cell written twice holds the second value, and cells may come in any order.
    void keepsEveryTextItWasGiven()
    {
        Worksheet sheet;
        auto text = [](int i) { return QString(400, QChar(u'甲' + i % 50)) + QString::number(i); };
        for (int i = 0; i < 3000; ++i) {
            const QByteArray utf8 = text(i).toUtf8();
            sheet.setText(i / 3, 2 - i % 3, std::string_view(utf8.constData(), utf8.size()));
        }
        sheet.setCell(5, 1, 2.5);
        sheet.setCell(6, 0, QStringLiteral("改"));
        sheet.setCell(7, 7, QDate(2026, 12, 10));
        for (int i = 0; i < 3000; ++i) {
            const int row = i / 3, column = 2 - i % 3;
            if ((row == 5 && column == 1) || (row == 6 && column == 0))
                continue;
            QCOMPARE(sheet.text(row, column), text(i));
        }
        QCOMPARE(sheet.cell(5, 1), QVariant(2.5));
        QCOMPARE(sheet.text(6, 0), "改");
        QCOMPARE(sheet.cell(7, 7), QVariant(QDate(2026, 12, 10)));
        QCOMPARE(sheet.columnCount(7), 8);
    }

    // Dense rows would hold 4000 x 16384 cells here, some 2 GB; the sheet has 4000.
    void wideSheetKeepsOnlyItsCells()
    {
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_AS, &old), 0);
        rlimit bounded = old;
        bounded.rlim_cur = rlim_t(addressSpaceInUse() + (512 << 20));
        QCOMPARE(setrlimit(RLIMIT_AS, &bounded), 0);
        std::optional<Worksheet> sheet;
        try {
            sheet = Worksheet::readFirst(path("wide.xlsx"));
        } catch (const std::bad_alloc &) {
        }
        setrlimit(RLIMIT_AS, &old);
        QVERIFY(sheet);
        QCOMPARE(sheet->rowCount(), 4000);
        QCOMPARE(sheet->columnCount(3999), 16384);
        QCOMPARE(sheet->text(3999, 16383), "4000");
        QCOMPARE(sheet->cell(3999, 0), QVariant());
    }

    void refusesWhatIsTooLarge_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("shared string of 64 million characters") << "longtext.xlsx";
        QTest::newRow("cell value of 64 million digits") << "longvalue.xlsx";
        QTest::newRow("elements nested ten million deep") << "deep.xlsx";
    }
    void refusesWhatIsTooLarge()
    {
        QFETCH(QString, file);
        try {
            Worksheet::readFirst(path(file));
            QFAIL("read");
        } catch (const StoreError &e) {
            QCOMPARE(e.message(), Worksheet::TooLarge);
        }
    }

    void sheetRefusesCellsPastItsLimit()
    {
        Worksheet sheet(3, 5);
        sheet.setCell(0, 0, 1);
        sheet.setCell(0, 7, "past the columns kept");
        sheet.setCell(1, 2, 2);
        sheet.setCell(1, 0, 3);
        sheet.setCell(1, 0, 4); // replaced, not added
        sheet.setCell(9, 1, 5);
        QCOMPARE(sheet.columnCount(0), 1);
        QCOMPARE(sheet.text(1, 0), "4");
        QCOMPARE(sheet.text(1, 2), "2");
        QCOMPARE(sheet.rowCount(), 10);
        sheet.setCell(9, 2, 6);
        try {
            sheet.setCell(10, 0, 7);
            QFAIL("a sixth cell kept");
        } catch (const StoreError &e) {
            QCOMPARE(e.message(), Worksheet::TooLarge);
        }
    }

    void reportsHowFarReadingHasGot_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("xlsx") << "xlsx";
        QTest::newRow("xls") << "xls";
    }
    void reportsHowFarReadingHasGot()
    {
        QFETCH(QString, extension);
        QJsonArray rows;
        for (int i = 0; i < 2000; ++i)
            rows << QJsonArray{i, QStringLiteral("第%1行").arg(i)};
        writeFile(path("rows.json"), QJsonDocument(rows).toJson());
        const QString file = path("long." + extension);
        QVERIFY(runPython(fixture("write_rows.py"), {file, path("rows.json")}));
        QList<int> seen;
        const Worksheet sheet = Worksheet::readFirst(file, [&](int permille) { seen << permille; });
        QCOMPARE(sheet.rowCount(), 2000);
        QVERIFY(seen.size() >= 4);
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        QVERIFY(seen.first() >= 0 && seen.last() <= 1000 && seen.last() > 500);
    }

    void dateFormatCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("date");
        QTest::newRow("iso date") << "yyyy-mm-dd" << true;
        QTest::newRow("date and time") << "m/d/yyyy h:mm" << true;
        QTest::newRow("chinese with locale") << "[$-804]yyyy\"年\"m\"月\"" << true;
        QTest::newRow("elapsed hours") << "[h]:mm" << true;
        QTest::newRow("general") << "General" << false;
        QTest::newRow("colour") << "[Red]#,##0.00" << false;
        QTest::newRow("negative section coloured") << "#,##0;[Red]-#,##0" << false;
        QTest::newRow("quoted words") << "0.00\" days\"" << false;
        QTest::newRow("escaped letter") << "0\\d" << false;
        QTest::newRow("scientific") << "0.00E+00" << false;
    }
    void dateFormatCodes()
    {
        QFETCH(QString, code);
        QFETCH(bool, date);
        QCOMPARE(NumberFormat::isDateCode(code), date);
    }

    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("fifteen digits kept") << 123456789.123456 << "123456789.123456";
        QTest::newRow("sixteenth digit rounded") << 1234567890.1234567 << "1234567890.12346";
        QTest::newRow("small") << 0.000125 << "0.000125";
        QTest::newRow("large") << 3e17 << "300000000000000000";
    }
    void numberText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Worksheet::numberText(value), text);
    }

    void writesEveryCellAsText()
    {
        const QString file = path("written.xlsx");
        XlsxWriter writer(file, "运单/2026:12");
        writer.addRow({"单号", "收货单位", "金额", "备注"});
        writer.addRow({"00123", "北京华联商厦", "1234.5", ""});
        writer.addRow({"12345678901234", "=1+1", "2026-12-09", "TRUE"});
        writer.close();

        QString json;
        QVERIFY(runPython(fixture("read_written.py"), {file}, &json));
        const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
        QCOMPARE(o["sheet"].toString(), "运单_2026_12");
        const QJsonArray rows = o["rows"].toArray();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[1].toArray().toVariantList(),
                 (QVariantList{"00123", "北京华联商厦", "1234.5", QVariant::fromValue(nullptr)}));
        QCOMPARE(rows[2].toArray().toVariantList(),
                 (QVariantList{"12345678901234", "=1+1", "2026-12-09", "TRUE"}));
        QCOMPARE(o["formats"].toArray().toVariantList(), QVariantList{"@"});
        QCOMPARE(o["kinds"].toArray().toVariantList(), QVariantList{"str"});
        QCOMPARE(o["blank_format"].toString(), "@");
    }

    // Rows travel to the writing thread in batches: every row must land once, in order, with
    // its own width, across batches and the last part batch.
    void writesManyRowsInOrder()
    {
        const QString file = path("many.xlsx");
        const int rows = 1000;
        {
            XlsxWriter writer(file, "x");
            for (int r = 0; r < rows; ++r) {
                QStringList cells;
                for (int c = 0; c <= r % 4; ++c)
                    cells << QString("%1-%2").arg(r).arg(c);
                // Cut where they are too long, before a character that would be split.
                if (r == 600)
                    cells << QString(40000, u'票');
                if (r == 601)
                    cells << QString(XlsxWriter::MaxCellText - 1, u'票') + QString("😀后") << "尾";
                writer.addRow(cells);
            }
            writer.close();
        }
        QString json;
        QVERIFY(runPython(fixture("read_written.py"), {file}, &json));
        const QJsonArray read = QJsonDocument::fromJson(json.toUtf8()).object()["rows"].toArray();
        QCOMPARE(read.size(), rows);
        for (int r = 0; r < rows; ++r) {
            const QJsonArray cells = read[r].toArray();
            const int width = r % 4 + 1;
            for (int c = 0; c < cells.size(); ++c) {
                const QJsonValue expected = c < width ? QJsonValue(QString("%1-%2").arg(r).arg(c))
                                                      : QJsonValue(QJsonValue::Null);
                if (r == 600 && c == width)
                    QCOMPARE(cells[c].toString(), QString(XlsxWriter::MaxCellText, u'票'));
                else if (r == 601 && c == width)
                    QCOMPARE(cells[c].toString(), QString(XlsxWriter::MaxCellText - 1, u'票'));
                else if (r == 601 && c == width + 1)
                    QCOMPARE(cells[c].toString(), "尾");
                else
                    QCOMPARE(cells[c], expected);
            }
        }
    }

    // The writing thread's refusal reaches the rows after it.
    void writerRefusesRowsPastTheLast()
    {
        const QString file = path("tall.xlsx");
        QString message;
        int given = 0;
        try {
            XlsxWriter writer(file, "x");
            for (; given <= 1048576 + 1000; ++given)
                writer.addRow({"1"});
            writer.close();
        } catch (const StoreError &e) {
            message = e.message();
        }
        QCOMPARE(message, "电子表格最多只能有1048576行、16384列");
        QVERIFY(given > 1048576);
        QVERIFY(!QFileInfo::exists(file));
    }

    void sheetName_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "ChildForm明细"
                               << "ChildForm明细";
        QTest::newRow("refused characters") << "a[b]c:d*e?f/g\\h"
                                            << "a_b_c_d_e_f_g_h";
        QTest::newRow("apostrophes at the ends") << "'运单'"
                                                 << "运单";
        QTest::newRow("apostrophe inside") << "O'Brien"
                                           << "O'Brien";
        QTest::newRow("too long") << QString(40, u'单') << QString(31, u'单');
        QTest::newRow("nothing left") << "''"
                                      << "Sheet1";
        QTest::newRow("reserved") << "history"
                                  << "history_";
    }
    void sheetName()
    {
        QFETCH(QString, title);
        QFETCH(QString, name);
        QCOMPARE(XlsxWriter::sheetName(title), name);
    }

    // A file size limit stands in for a full disk: the rows, which go through a temporary
    // file first, cannot all be written, while the compressed workbook still fits.
    void writerThatCannotWriteItsRowsSaysSo()
    {
        const QString file = path("full.xlsx");
        const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit bounded = old;
        bounded.rlim_cur = 64 << 10;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &bounded), 0);
        QString message;
        try {
            XlsxWriter writer(file, "x");
            for (int r = 0; r < 3000; ++r)
                writer.addRow(QStringList(10, QStringLiteral("北京华联商厦")));
            writer.close();
        } catch (const StoreError &e) {
            message = e.message();
        }
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, oldHandler);
        QVERIFY2(message.startsWith("无法写入电子表格文件"), qPrintable(message));
        QVERIFY(!QFileInfo::exists(file));
    }

    void writerThatCannotCreateItsFileSaysSo()
    {
        try {
            XlsxWriter writer(path("no-such-folder/x.xlsx"), "x");
            writer.close();
            QFAIL("no error");
        } catch (const StoreError &e) {
            QVERIFY(e.message().contains("no-such-folder"));
        }
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
