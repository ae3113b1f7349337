#include "CommandOptions.h"

#include "CommandLineError.h"

#include <QHash>

namespace {

const QHash<QString, CommandOptions::Command> commands{
    {QStringLiteral("kinds"), CommandOptions::Command::Kinds},
    {QStringLiteral("print"), CommandOptions::Command::Print},
    {QStringLiteral("import"), CommandOptions::Command::Import},
    {QStringLiteral("export"), CommandOptions::Command::Export},
    {QStringLiteral("help"), CommandOptions::Command::Help},
    {QStringLiteral("--help"), CommandOptions::Command::Help},
    {QStringLiteral("-h"), CommandOptions::Command::Help},
};

std::optional<QDate> date(const QString &text, const QString &option)
{
    for (const char *format : {"yyyy-MM-dd", "yyyy/M/d", "yyyy-M-d"}) {
        const QDate d = QDate::fromString(text, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    throw CommandLineError(
        QStringLiteral("%1 的日期“%2”无效，请写成 2026-12-09 这样的形式。").arg(option, text));
}

RecordFilter::PrintState printStateOf(const QString &text)
{
    if (text == u"未打印")
        return RecordFilter::PrintState::Unprinted;
    if (text == u"已打印")
        return RecordFilter::PrintState::Printed;
    if (text == u"不限")
        return RecordFilter::PrintState::Any;
    throw CommandLineError(
        QStringLiteral("--filter 只能是“未打印”、“已打印”或“不限”，不能是“%1”。").arg(text));
}

} // namespace

bool isCommandLine(const QStringList &arguments)
{
    return !arguments.isEmpty() && commands.contains(arguments.first());
}

CommandOptions CommandOptions::parse(const QStringList &arguments)
{
    CommandOptions o;
    if (arguments.isEmpty() || !commands.contains(arguments.first()))
        throw CommandLineError(
            QStringLiteral("未知的命令“%1”。用 quillet --help 查看用法。").arg(arguments.value(0)));
    o.command = commands.value(arguments.first());
    if (o.command == Command::Help)
        return o;
    const bool takesRecords = o.command == Command::Print || o.command == Command::Export;
    QStringList files;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == u"--help" || a == u"-h") {
            o.command = Command::Help;
            return o;
        }
        const auto value = [&]() -> QString {
            if (i + 1 >= arguments.size())
                throw CommandLineError(QStringLiteral("选项 %1 后面缺少它的值。").arg(a));
            return arguments[++i];
        };
        if (a == u"--folder") {
            o.folder = value();
        } else if (o.command != Command::Kinds && a == u"--kind") {
            o.kind = value();
        } else if (takesRecords && a == u"--filter") {
            o.printState = printStateOf(value());
        } else if (takesRecords && a == u"--from") {
            o.from = date(value(), a);
        } else if (takesRecords && a == u"--to") {
            o.to = date(value(), a);
        } else if (takesRecords && a == u"--keyword") {
            o.keyword = value();
        } else if (o.command == Command::Print && a == u"--copies") {
            o.copies = value();
        } else if (o.command == Command::Print && a == u"--printer") {
            o.printer = value();
        } else if (o.command == Command::Print && a == u"--pdf") {
            o.pdf = value();
        } else if (o.command == Command::Print && a == u"--png") {
            o.pngFolder = value();
        } else if (o.command == Command::Print && a == u"--as-printed") {
            o.asPrinted = true;
        } else if (o.command == Command::Print && a == u"--mark") {
            o.mark = true;
        } else if (a.startsWith(u'-')) {
            throw CommandLineError(
                QStringLiteral("命令 %1 没有选项 %2。").arg(arguments.first(), a));
        } else {
            files << a;
        }
    }
    const bool needsFile = o.command == Command::Import || o.command == Command::Export;
    if (files.size() > (needsFile ? 1 : 0))
        throw CommandLineError(QStringLiteral("多余的参数“%1”。").arg(files.last()));
    if (needsFile && files.isEmpty())
        throw CommandLineError(
            QStringLiteral("命令 %1 需要一个电子表格文件名。").arg(arguments.first()));
    o.file = files.value(0);
    if (o.command != Command::Kinds && o.kind.isEmpty())
        throw CommandLineError(
            QStringLiteral("命令 %1 需要 --kind 指明单据类型代码。").arg(arguments.first()));
    const int outputs =
        int(!o.printer.isEmpty()) + int(!o.pdf.isEmpty()) + int(!o.pngFolder.isEmpty());
    if (outputs > 1)
        throw CommandLineError(QStringLiteral("--printer、--pdf 和 --png 只能选一个。"));
    if (o.asPrinted && !o.printer.isEmpty())
        throw CommandLineError(
            QStringLiteral("--as-printed 只用于 --pdf 或 --png：打印机上的纸总是按打印的样子。"));
    return o;
}

QString commandLineHelp()
{
    return QStringLiteral(
        "用法：\n"
        "  quillet kinds [--folder 文件夹]\n"
        "  quillet print --kind 代码 [--filter 未打印|已打印|不限] [--from 日期] [--to 日期]\n"
        "                [--keyword 关键字] [--copies 份数]\n"
        "                [--printer 打印机 | --pdf 文件 | --png 文件夹] [--as-printed] [--mark]\n"
        "                [--folder 文件夹]\n"
        "  quillet import --kind 代码 文件.xlsx|文件.xls [--folder 文件夹]\n"
        "  quillet export --kind 代码 文件.xlsx [--filter ...] [--from ...] [--to ...]\n"
        "                [--keyword ...] [--folder 文件夹]\n"
        "\n"
        "不打开窗口，用与单据窗口相同的模板和规则打印、导入、导出单据记录。\n"
        "\n"
        "命令：\n"
        "  kinds    列出单据类型：代码、名称、记录数、是否有模板。\n"
        "  print    把符合条件的记录按单据类型当前的模板打印，与窗口中的“打印”相同：\n"
        "           打印时不带底图，并按模板的打印校正；不指定输出时用模板指定的打印机，\n"
        "           否则用系统默认打印机。\n"
        "  import   把电子表格第一张表从第2行起的各行追加到单据类型的记录中；\n"
        "           有一格不能导入时整批都不导入。\n"
        "  export   把符合条件的记录写成 .xlsx 电子表格；有明细表时，明细写在\n"
        "           同一文件夹的“文件名明细.xlsx”中。\n"
        "\n"
        "选项：\n"
        "  --kind 代码         单据类型代码，例如 A01。\n"
        "  --filter 状态       未打印（默认）、已打印或不限。\n"
        "  --from 日期         填写日期不早于此日，例如 2026-12-01。\n"
        "  --to 日期           填写日期不晚于此日。\n"
        "  --keyword 关键字    在各文本栏中查找的关键字。\n"
        "  --copies 份数       打印份数，默认用窗口保存的打印份数；负数按 0 份。\n"
        "  --printer 打印机    在这台打印机上打印。\n"
        "  --pdf 文件          写成 PDF 文件，与预览看到的一样（带底图，每页一次）。\n"
        "  --png 文件夹        每页写成一张 PNG 图片（150 dpi），与预览看到的一样。\n"
        "  --as-printed        PDF 或 PNG 按打印的样子：不带底图，按打印校正，含各份。\n"
        "  --mark              打印完成后把这些记录标记为已打印（不加此项不标记）。\n"
        "  --folder 文件夹     程序文件夹（数据库 notedb.db 所在），默认是程序所在的文件夹。\n"
        "  --help              显示本说明。\n"
        "\n"
        "退出状态：0 表示要求的都已完成；1 表示出错（错误信息写在标准错误上，\n"
        "不留下写了一半的结果）；2 表示没有符合条件的记录，什么也没有输出。\n"
        "数据库正被其他程序占用时不作任何修改，退出状态为 1。\n");
}
