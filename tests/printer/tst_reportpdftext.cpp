#include "printer/ReportPrinter.h"
#include "report/Report.h"
#include "support/PdfText.h"
#include "support/SampleReports.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace SampleReports;

namespace {

// Serial numbers, Chinese with Latin and digits, an amount in Chinese capitals, and
// ideographs that share their glyph with a radical in some fonts (一 ⼀, 二 ⼆, 十 ⼗, 日 ⽇,
// 月 ⽉, 金 ⾦, 角 ⻆).
const QStringList texts = {
    QStringLiteral("NO0001"),
    QStringLiteral("一二十日月"),
    QStringLiteral("壹万贰仟叁佰肆拾伍元陆角柒分"),
    QStringLiteral("单号YD0001 金额12,345.67"),
    QStringLiteral("收货单位：上海市第1号 2024年05月01日"),
};

Report pageOfTexts(const QString &fontFamily)
{
    ReportPage page;
    QList<ReportObject> objects;
    for (int i = 0; i < texts.size(); ++i) {
        ReportObject object =
            text(QStringLiteral("Memo%1").arg(i + 1), {0, i * 12.0, 180, 8}, texts[i]);
        object.fontFamily = fontFamily;
        object.fontSize = 12;
        objects.append(object);
    }
    page.bands = {band(ReportBand::Type::PageHeader, 80, {}, objects)};
    Report report;
    report.definition().pages = {page};
    report.prepare();
    return report;
}

} // namespace

// What a reader copies or searches in a PDF the engine wrote is what was printed, line for
// line, whatever font the template names.
class TestReportPdfText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pdfTextIsThePrintedText_data()
    {
        QTest::addColumn<QString>("fontFamily");
        QTest::addColumn<bool>("printed");
        for (const char *family :
             {"Noto Sans CJK SC", "Noto Serif CJK SC", "Arial", "宋体", "WenQuanYi Micro Hei"}) {
            QTest::addRow("%s, exported", family) << QString::fromUtf8(family) << false;
            QTest::addRow("%s, printed to PDF", family) << QString::fromUtf8(family) << true;
        }
    }

    void pdfTextIsThePrintedText()
    {
        QFETCH(QString, fontFamily);
        QFETCH(bool, printed);
        Report report = pageOfTexts(fontFamily);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("texts.pdf"));
        if (printed) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            ReportPrinter::print(report.preparedPages(), {{}, 1, {}}, printer);
        } else {
            report.exportPdf(pdf);
        }
        const QString whole = QString::fromUtf8(PdfText::run(
            QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}));
        QStringList lines;
        for (const QString &line : whole.split(u'\n'))
            if (!line.trimmed().isEmpty())
                lines.append(line.simplified());
        QCOMPARE(lines, texts);
    }
};

QTEST_MAIN(TestReportPdfText)
#include "tst_reportpdftext.moc"
