#pragma once

// Templates and data shared by the report engine's tests and benchmarks.

#include "report/MemoryDataset.h"
#include "report/Report.h"
#include "report/ReportTemplate.h"
#include "store/Currency.h"

#include <QBuffer>
#include <QDate>
#include <QFile>
#include <QImage>
#include <QPainter>

namespace SampleReports {

inline QByteArray png(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

inline ReportObject text(const QString &name, QRectF rect, const QString &content)
{
    ReportObject object;
    object.name = name;
    object.rect = rect;
    object.text = content;
    return object;
}

inline ReportBand band(ReportBand::Type type, double height, const QString &dataset = {},
                       QList<ReportObject> objects = {})
{
    ReportBand b;
    b.type = type;
    b.height = height;
    b.dataset = dataset;
    b.objects = objects;
    return b;
}

// A page with every setting away from its default, and no bands.
inline ReportPage everySetting()
{
    ReportPage page;
    page.name = QStringLiteral("Page1");
    page.paper = QStringLiteral("Custom");
    page.customSize = QSizeF(241.3, 93.15);
    page.landscape = true;
    page.margins = QMarginsF(3.5, 0, 7.25, 1);
    page.background = png({40, 20}, Qt::green);
    page.printOffset = QPointF(-1.5, 2.25);
    page.printScaleX = 99.5;
    page.printScaleY = 100.25;
    page.backgroundRect = QRectF(1, 2, 200, 90);
    return page;
}

// Digit boxes of an amount, shrunk to fit, turned, styled and shown on a condition; a QR
// code; a check mark: between them every object property the text styles left alone.
inline QList<ReportObject> cellsBarcodeAndCheckMark()
{
    ReportObject cells = text(QStringLiteral("Amount"), QRectF(5, 40, 50, 6),
                              QStringLiteral("[<frxDBDsNote.\"金额\">]"));
    cells.cellCount = 10;
    cells.cellWidth = 4.8;
    cells.shrinkToFit = true;
    cells.minFontSize = 6.5;
    cells.rotation = 90;
    cells.underline = true;
    cells.textColor = QColor(12, 34, 56, 200);
    cells.clip = false;
    cells.displayFormat = QStringLiteral("#,##0.00");
    cells.visibleExpression = QStringLiteral("<frxDBDsNote.\"金额\"> > 0");
    cells.locked = true;

    ReportObject barcode;
    barcode.kind = ReportObject::Kind::Barcode;
    barcode.rect = QRectF(60, 40, 30, 30);
    barcode.symbology = ReportObject::Symbology::QrCode;
    barcode.text = QStringLiteral("[<frxDBDsNote.\"单号\">]");

    ReportObject check;
    check.kind = ReportObject::Kind::CheckMark;
    check.rect = QRectF(95, 40, 4, 4);
    check.checkExpression = QStringLiteral("<frxDBDsNote.\"加急\">");
    return {cells, barcode, check};
}

// A page with every kind of band and object and every property away from its default.
inline ReportTemplate everyFeature()
{
    ReportTemplate report;
    report.script = {QStringLiteral("begin"), QStringLiteral("  // 备注"), QString(),
                     QStringLiteral("end.")};
    report.printerName = QStringLiteral("针式打印机 LQ-730K");
    ReportPage page = everySetting();

    ReportObject styled =
        text(QStringLiteral("Memo1"), QRectF(35, 12.7, 60.05, 8),
             QStringLiteral("单号：[<frxDBDsNote.\"单号\">] & \"x\" <y>\r\n第二行"));
    styled.fontFamily = QStringLiteral("宋体");
    styled.fontSize = 10.5;
    styled.bold = true;
    styled.italic = true;
    styled.alignment = Qt::AlignRight | Qt::AlignBottom;
    styled.wordWrap = true;
    styled.padding = 0;
    styled.frame = true;
    styled.lineWidth = 0.35;

    ReportObject picture;
    picture.kind = ReportObject::Kind::Picture;
    picture.name = QStringLiteral("Picture1");
    picture.rect = QRectF(1, 2, 3, 4);
    picture.picture = png({4, 4}, Qt::red);
    ReportObject fieldPicture = picture;
    fieldPicture.picture.clear();
    fieldPicture.pictureExpression = QStringLiteral("<frxDBDsNote.\"照片\">");

    ReportObject line;
    line.kind = ReportObject::Kind::Line;
    line.rect = QRectF(0, 5, 100, 0);
    ReportObject box;
    box.kind = ReportObject::Kind::Rectangle;
    box.rect = QRectF(-2, -1, 10, 10);

    ReportBand master = band(ReportBand::Type::MasterData, 50.8, QStringLiteral("frxDBDsNote"),
                             {styled, picture, fieldPicture});
    master.name = QStringLiteral("MasterData1");
    master.startNewPage = true;
    page.bands = {band(ReportBand::Type::ReportTitle, 10, {}, {line}),
                  band(ReportBand::Type::PageHeader, 0.1, {}, {box}), master,
                  band(ReportBand::Type::DetailData, 6, QStringLiteral("frxDBDsSub"),
                       cellsBarcodeAndCheckMark()),
                  band(ReportBand::Type::PageFooter, 12)};
    report.pages = {page, ReportPage()};
    return report;
}

// Master rows with keys 1..masters, each with `details` detail rows.
struct WaybillData {
    MemoryDataset note{QStringLiteral("frxDBDsNote"),
                       {QStringLiteral("ID"), QStringLiteral("单号"), QStringLiteral("收货单位"),
                        QStringLiteral("地址"), QStringLiteral("金额"),
                        QStringLiteral("填写日期")}};
    MemoryDataset sub{QStringLiteral("frxDBDsSub"),
                      {QStringLiteral("MID"), QStringLiteral("品名"), QStringLiteral("数量"),
                       QStringLiteral("单价")}};

    WaybillData(int masters, int details)
    {
        for (int m = 1; m <= masters; ++m) {
            note.addRow({m, QStringLiteral("YD%1").arg(m, 4, 10, QChar(u'0')),
                         QStringLiteral("收货单位%1").arg(m), QStringLiteral("上海市%1号").arg(m),
                         QVariant::fromValue(Currency::fromUnits(m * 1234500)),
                         QDate(2024, 5, m % 28 + 1)});
            for (int d = 1; d <= details; ++d)
                sub.addRow({m, QStringLiteral("品名%1-%2").arg(m).arg(d), d,
                            QVariant::fromValue(Currency::fromUnits(d * 25000))});
        }
        sub.setMaster(&note, QStringLiteral("ID"), QStringLiteral("MID"));
    }
};

// The shipped demo waybill over the data, ready to prepare.
inline Report demoReport(WaybillData &data)
{
    QFile file(QStringLiteral(QUILLET_DATA_DIR "/demo_waybill.xml"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("demo template missing");
    Report report;
    report.loadFromBytes(file.readAll());
    report.setDataset(&data.note);
    report.setDataset(&data.sub);
    // Stand-ins for the program's functions: they print a recognisable word.
    report.addFunction(QStringLiteral("function FieldIsNull(FieldName: string): Boolean"),
                       QStringLiteral("自定义"), {});
    report.addFunction(QStringLiteral("function rmbToBIG(Value: Currency): string"),
                       QStringLiteral("自定义"), {});
    report.setUserFunctionHandler([](const QString &name, const QVariantList &) {
        return name == u"FieldIsNull" ? QVariant(false) : QVariant(QStringLiteral("大写金额"));
    });
    return report;
}

} // namespace SampleReports
