#include "KindCommands.h"

#include "printer/ReportPrinter.h"
#include "printing/RecordReport.h"
#include "report/ReportError.h"
#include "report/ReportPdfWriter.h"
#include "report/ReportRenderer.h"
#include "store/Catalogue.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/IniFile.h"
#include "store/KindRecords.h"
#include "store/ProgramFolder.h"
#include "store/SheetImport.h"
#include "store/SqlHelpers.h"
#include "store/StoreError.h"
#include "store/TemplateStore.h"
#include "store/XlsxWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <QTextStream>
#include <functional>

namespace {

constexpr double imageDpi = 150;

// A form kind's tables opened as its record window opens them: the main table under the
// filter asked for, the detail table (kind name + "Sub") following it when there is one.
struct KindTables {
    QString code;
    QString name;
    DataSet note;
    DataSet sub;

    explicit KindTables(const QString &kindCode) : code(kindCode)
    {
        const QSqlDatabase db = Database::connection();
        const std::optional<QString> found = Catalogue::KindName(db, kindCode);
        if (!found)
            throw StoreError(QStringLiteral("没有代码为“%1”的单据类型。").arg(kindCode));
        name = *found;
        note.setDatabase(db);
        note.setTableName(name);
        note.open();
    }

    void filterAsAsked(const CommandOptions &o)
    {
        RecordFilter::Conditions c;
        c.keyword = o.keyword;
        c.textColumns = KindRecords::textColumns(note.columns());
        c.start = o.from;
        c.end = o.to;
        c.printState = o.printState;
        note.setFilter(RecordFilter::build(c));
        note.setFiltered(true);
    }

    bool openDetail()
    {
        const QString detailName = name + QStringLiteral("Sub");
        if (!TableExists(note.database(), detailName))
            return false;
        sub.setDatabase(note.database());
        sub.setTableName(detailName);
        return true;
    }
};

// Writes a file under a passing name beside the target and puts it in place only when
// it is whole, so that a failure leaves no half-written file (nor spoils an older one).
void writeWhole(const QString &target, const std::function<void(const QString &)> &write)
{
    const QString part = target + QStringLiteral(".part");
    const auto cleanUp = qScopeGuard([&] { QFile::remove(part); });
    write(part);
    if (!QFileInfo::exists(part))
        throw ReportError(QStringLiteral("无法写入文件 %1").arg(QDir::toNativeSeparators(target)));
    QFile::remove(target);
    if (!QFile::rename(part, target))
        throw ReportError(QStringLiteral("无法写入文件 %1").arg(QDir::toNativeSeparators(target)));
}

// The sheets as a printer would get them: each page in every copy, after the per-page rule.
QList<PreparedPage> printedSheets(const QList<PreparedPage> &pages, int copies)
{
    QList<PreparedPage> sheets;
    for (int copy = 1; copy <= copies; ++copy)
        for (PreparedPage sheet : pages) {
            RecordReport::frxReportPrintPage(sheet.page, copy);
            sheets.append(sheet);
        }
    return sheets;
}

void writePdf(const QList<PreparedPage> &pages, const CommandOptions &o, int copies)
{
    writeWhole(o.pdf, [&](const QString &path) {
        if (!o.asPrinted) {
            ReportPdfWriter::write(pages, path);
            return;
        }
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        ReportPrinter::print(pages, {{}, copies, &RecordReport::frxReportPrintPage}, printer);
    });
}

// One picture per page (per sheet as printed): <kind>_<n>.png, numbered to one width so
// that they sort in page order.
QStringList writeImages(const QList<PreparedPage> &pages, const CommandOptions &o,
                        const QString &kindCode, int copies)
{
    const QList<PreparedPage> images = o.asPrinted ? printedSheets(pages, copies) : pages;
    if (!QDir().mkpath(o.pngFolder))
        throw ReportError(QStringLiteral("无法建立文件夹 %1").arg(o.pngFolder));
    const QDir folder(o.pngFolder);
    const int width = int(QString::number(images.size()).size());
    QStringList written;
    auto removeWritten = qScopeGuard([&] {
        for (const QString &path : std::as_const(written))
            QFile::remove(path);
    });
    ReportRenderer renderer;
    for (int i = 0; i < images.size(); ++i) {
        const QString path = folder.filePath(
            QStringLiteral("%1_%2.png").arg(kindCode).arg(i + 1, width, 10, QLatin1Char('0')));
        const QTransform correction = o.asPrinted ? images[i].page.printCorrection() : QTransform();
        writeWhole(path, [&](const QString &part) {
            renderer.renderImage(images[i], imageDpi, correction).save(part, "PNG");
        });
        written << path;
    }
    removeWritten.dismiss();
    return written;
}

void writeWorkbook(const QString &target, DataSet &table, const QString &title)
{
    writeWhole(target, [&](const QString &path) {
        XlsxWriter writer(path, title);
        writer.addRow(KindRecords::workbookTitles(table));
        KindRecords::forEachWorkbookRow(table, [&writer](const QStringList &cells) {
            writer.addRow(cells);
            return true;
        });
        writer.close();
    });
}

} // namespace

int KindCommands::kinds(QTextStream &out)
{
    out << QStringLiteral("代码\t名称\t记录数\t模板") << Qt::endl;
    for (const Catalogue::FormKind &kind : Catalogue::FormKinds(Database::connection()))
        out << kind.code << '\t' << kind.name << '\t' << kind.records << '\t'
            << (kind.hasTemplate ? QStringLiteral("有") : QStringLiteral("无")) << Qt::endl;
    return Done;
}

int KindCommands::print(const CommandOptions &o, QTextStream &out, QTextStream &err)
{
    KindTables tables(o.kind);
    tables.filterAsAsked(o);
    if (tables.openDetail()) {
        tables.sub.setMasterLink(&tables.note, QStringLiteral("ID"), QStringLiteral("MID"));
        tables.sub.open();
    }
    TemplateStore store(Database::connection(), tables.code);
    store.lookup();
    if (!store.hasTemplate())
        throw StoreError(
            QStringLiteral("单据类型 %1（%2）还没有模板，请先在单据窗口中用“设计”做好模板。")
                .arg(tables.code, tables.name));
    const QString copiesText =
        o.copies ? *o.copies : KindRecords::storedCopies(IniFile(ProgramFolder::settingsPath()));
    const int copies = std::max(KindRecords::copiesNumber(copiesText), 0);
    if (!o.printer.isEmpty() && QPrinterInfo::printerInfo(o.printer).isNull())
        throw ReportError(QStringLiteral("找不到打印机“%1”。").arg(o.printer));
    if (tables.note.isEmpty()) {
        err << QStringLiteral("没有符合条件的记录，什么也没有输出。") << Qt::endl;
        return NothingInView;
    }
    RecordReport records(&tables.note, &tables.sub);
    Report &report = records.report();
    report.loadFromBytes(store.templateBytes());
    report.prepare();
    const QList<PreparedPage> &pages = report.preparedPages();
    if (!o.pdf.isEmpty()) {
        writePdf(pages, o, copies);
        out << QStringLiteral("已写入 %1").arg(QDir::toNativeSeparators(o.pdf)) << Qt::endl;
    } else if (!o.pngFolder.isEmpty()) {
        const QStringList images = writeImages(pages, o, tables.code, copies);
        out << QStringLiteral("已写入 %1 张图片到 %2")
                   .arg(images.size())
                   .arg(QDir::toNativeSeparators(o.pngFolder))
            << Qt::endl;
    } else {
        const QString printer = o.printer.isEmpty() ? report.definition().printerName : o.printer;
        ReportPrinter::print(pages, {printer, copies, &RecordReport::frxReportPrintPage});
        out << QStringLiteral("已打印 %1 条记录，%2 份。").arg(tables.note.rowCount()).arg(copies)
            << Qt::endl;
    }
    if (o.mark) {
        const int marked = tables.note.rowCount();
        KindRecords::markViewPrinted(tables.note);
        out << QStringLiteral("已将 %1 条记录标记为已打印。").arg(marked) << Qt::endl;
    }
    return Done;
}

int KindCommands::importRows(const CommandOptions &o, QTextStream &out)
{
    KindTables tables(o.kind);
    DataSet &table = tables.note;
    table.afterInsert = &KindRecords::applyNewRecordDefaults;
    QStringList excluded;
    SplitList(KindRecords::MainImportExclusions.toUpper(), &excluded, u';', true);
    const int imported = SheetImport::importWorkbook(table, o.file, excluded).value_or(0);
    if (imported == 0)
        throw StoreError(KindRecords::NoRowsToImport);
    out << QStringLiteral("已导入 %1 条记录。").arg(imported) << Qt::endl;
    return Done;
}

int KindCommands::exportRows(const CommandOptions &o, QTextStream &out, QTextStream &err)
{
    KindTables tables(o.kind);
    tables.filterAsAsked(o);
    if (tables.note.isEmpty()) {
        err << QStringLiteral("没有符合条件的记录，什么也没有输出。") << Qt::endl;
        return NothingInView;
    }
    writeWorkbook(o.file, tables.note, tables.name);
    out << QStringLiteral("已导出 %1 条记录到 %2")
               .arg(tables.note.rowCount())
               .arg(QDir::toNativeSeparators(o.file))
        << Qt::endl;
    if (tables.openDetail()) {
        // Every detail row of the kind, by record, as the record window exports them.
        tables.sub.setOrderBy(QStringLiteral("MID"));
        tables.sub.open();
        const QFileInfo file(o.file);
        const QString detailFile =
            file.dir().filePath(file.completeBaseName() + QStringLiteral("明细.xlsx"));
        writeWorkbook(detailFile, tables.sub, tables.name + QStringLiteral("明细"));
        out << QStringLiteral("已导出明细 %1 行到 %2")
                   .arg(tables.sub.rowCount())
                   .arg(QDir::toNativeSeparators(detailFile))
            << Qt::endl;
    }
    return Done;
}
