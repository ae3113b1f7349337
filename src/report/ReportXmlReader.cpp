#include "ReportXmlReader.h"

#include "ReportError.h"
#include "ReportXmlNames.h"
#include "ReportXmlText.h"
#include "ReportXmlWriter.h"

#include <QSet>
#include <QXmlStreamReader>
#include <cmath>

namespace {

// More cells than any form has; bounds the work a damaged file can ask for.
constexpr int maxCells = 1000;

class Reader {
public:
    explicit Reader(const QByteArray &bytes) : m_xml(bytes) {}

    ReportTemplate read()
    {
        if (!m_xml.readNextStartElement())
            fail(QStringLiteral("不是报表模板"));
        if (m_xml.name() != ReportXmlNames::root)
            fail(QStringLiteral("不是报表模板（根元素为 %1）").arg(m_xml.name()));
        allow({QStringLiteral("version"), QStringLiteral("printer")});
        const QString version = m_xml.attributes().value(QStringLiteral("version")).toString();
        bool ok = false;
        const int number = version.toInt(&ok);
        if (!ok || number < 1)
            fail(QStringLiteral("缺少有效的版本号"));
        if (number > ReportXmlWriter::formatVersion)
            fail(QStringLiteral("模板版本 %1 高于本程序能读取的版本 %2")
                     .arg(number)
                     .arg(ReportXmlWriter::formatVersion));

        ReportTemplate report;
        report.printerName = attribute(QStringLiteral("printer"), report.printerName);
        bool scriptSeen = false;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"Script" && !scriptSeen && report.pages.isEmpty()) {
                scriptSeen = true;
                report.script = readScript();
            } else if (m_xml.name() == u"Page") {
                report.pages.append(readPage());
            } else {
                unexpectedElement();
            }
        }
        while (!m_xml.atEnd())
            m_xml.readNext();
        if (m_xml.hasError())
            fail(m_xml.errorString());
        return report;
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw ReportError(
            QStringLiteral("无法读取报表模板（第 %1 行）：%2").arg(m_xml.lineNumber()).arg(why));
    }

    [[noreturn]] void unexpectedElement() const
    {
        if (m_xml.hasError())
            fail(m_xml.errorString());
        fail(QStringLiteral("意外的元素 %1").arg(m_xml.name()));
    }

    // Stored forms hold only what the writer writes: anything else would be lost silently.
    void allow(const QSet<QString> &names)
    {
        for (const QXmlStreamAttribute &a : m_xml.attributes())
            if (!names.contains(a.name().toString()))
                fail(QStringLiteral("元素 %1 有未知的属性 %2").arg(m_xml.name(), a.name()));
    }

    QString attribute(const QString &name, const QString &defaultValue) const
    {
        const QXmlStreamAttributes attributes = m_xml.attributes();
        if (!attributes.hasAttribute(name))
            return defaultValue;
        const auto text = ReportXmlText::unescape(attributes.value(name).toString());
        if (!text)
            fail(QStringLiteral("属性 %1 的文本转义无效").arg(name));
        return *text;
    }

    double real(const QString &name, double defaultValue, bool mayBeNegative = true) const
    {
        if (!m_xml.attributes().hasAttribute(name))
            return defaultValue;
        bool ok = false;
        const double value = m_xml.attributes().value(name).toDouble(&ok);
        if (!ok || !std::isfinite(value) || (!mayBeNegative && value < 0))
            fail(QStringLiteral("属性 %1 的值不是有效的数").arg(name));
        return value;
    }

    double positive(const QString &name, double defaultValue) const
    {
        const double value = real(name, defaultValue, false);
        if (value <= 0)
            fail(QStringLiteral("属性 %1 必须大于 0").arg(name));
        return value;
    }

    // A whole number from `allowed` when given, else from 0 to `maximum`.
    int whole(const QString &name, int defaultValue, const QList<int> &allowed,
              int maximum = 0) const
    {
        const QString text = attribute(name, QString::number(defaultValue));
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || (allowed.isEmpty() ? value < 0 || value > maximum : !allowed.contains(value)))
            fail(QStringLiteral("属性 %1 的值无效").arg(name));
        return value;
    }

    QColor color(const QString &name, const QColor &defaultValue) const
    {
        const QString text = attribute(name, QString());
        if (text.isEmpty())
            return defaultValue;
        const QColor value = QColor::fromString(text);
        if (!text.startsWith(u'#') || !value.isValid())
            fail(QStringLiteral("属性 %1 不是有效的颜色").arg(name));
        return value;
    }

    bool flag(const QString &name, bool defaultValue) const
    {
        const QString value = attribute(name, defaultValue ? "1" : "0");
        if (value != u"0" && value != u"1")
            fail(QStringLiteral("属性 %1 只能是 0 或 1").arg(name));
        return value == u"1";
    }

    QByteArray base64()
    {
        const QString text = m_xml.readElementText();
        if (m_xml.hasError())
            fail(m_xml.errorString());
        const auto decoded = QByteArray::fromBase64Encoding(
            text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded || text.isEmpty())
            fail(QStringLiteral("图片数据损坏"));
        return *decoded;
    }

    QStringList readScript()
    {
        allow({});
        QStringList lines;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"Line")
                unexpectedElement();
            allow({QStringLiteral("text")});
            lines.append(attribute(QStringLiteral("text"), QString()));
            if (m_xml.readNextStartElement())
                unexpectedElement();
        }
        return lines;
    }

    ReportPage readPage()
    {
        allow({"name", "paper", "width", "height", "landscape", "left", "top", "right", "bottom",
               "printOffsetX", "printOffsetY", "printScaleX", "printScaleY", "backgroundX",
               "backgroundY", "backgroundWidth", "backgroundHeight"});
        ReportPage page;
        page.name = attribute(QStringLiteral("name"), page.name);
        page.paper = attribute(QStringLiteral("paper"), page.paper);
        page.customSize = QSizeF(real(QStringLiteral("width"), page.customSize.width(), false),
                                 real(QStringLiteral("height"), page.customSize.height(), false));
        page.landscape = flag(QStringLiteral("landscape"), page.landscape);
        page.margins = QMarginsF(real(QStringLiteral("left"), page.margins.left(), false),
                                 real(QStringLiteral("top"), page.margins.top(), false),
                                 real(QStringLiteral("right"), page.margins.right(), false),
                                 real(QStringLiteral("bottom"), page.margins.bottom(), false));
        page.printOffset = QPointF(real(QStringLiteral("printOffsetX"), 0),
                                   real(QStringLiteral("printOffsetY"), 0));
        page.printScaleX = positive(QStringLiteral("printScaleX"), page.printScaleX);
        page.printScaleY = positive(QStringLiteral("printScaleY"), page.printScaleY);
        page.backgroundRect =
            QRectF(real(QStringLiteral("backgroundX"), 0), real(QStringLiteral("backgroundY"), 0),
                   real(QStringLiteral("backgroundWidth"), 0, false),
                   real(QStringLiteral("backgroundHeight"), 0, false));
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"Background" && page.background.isEmpty() &&
                page.bands.isEmpty()) {
                allow({});
                page.background = base64();
            } else if (const auto type = ReportXmlNames::bandType(m_xml.name().toString())) {
                page.bands.append(readBand(*type));
                if (const ReportBand *repeated = page.repeatedBand())
                    fail(page.repeatedBandMessage(*repeated));
            } else {
                unexpectedElement();
            }
        }
        return page;
    }

    ReportBand readBand(ReportBand::Type type)
    {
        allow({"name", "height", "dataset", "startNewPage"});
        ReportBand band;
        band.type = type;
        band.name = attribute(QStringLiteral("name"), band.name);
        band.height = real(QStringLiteral("height"), band.height, false);
        band.dataset = attribute(QStringLiteral("dataset"), band.dataset);
        band.startNewPage = flag(QStringLiteral("startNewPage"), band.startNewPage);
        while (m_xml.readNextStartElement()) {
            const auto kind = ReportXmlNames::objectKind(m_xml.name().toString());
            if (!kind)
                unexpectedElement();
            band.objects.append(readObject(*kind));
        }
        return band;
    }

    ReportObject readObject(ReportObject::Kind kind)
    {
        allow({"name",      "x",
               "y",         "width",
               "height",    "text",
               "font",      "size",
               "bold",      "italic",
               "underline", "color",
               "align",     "valign",
               "wordWrap",  "clip",
               "rotation",  "padding",
               "format",    "cells",
               "cellWidth", "shrink",
               "minSize",   "frame",
               "lineWidth", "pictureExpression",
               "symbology", "checkExpression",
               "visible",   "locked"});
        ReportObject o;
        o.kind = kind;
        o.name = attribute(QStringLiteral("name"), o.name);
        // A line runs from the rectangle's top-left to its bottom-right corner, so one drawn
        // upward or leftward has a negative extent; other objects never do.
        const bool extentMayBeNegative = kind == ReportObject::Kind::Line;
        o.rect =
            QRectF(real(QStringLiteral("x"), o.rect.x()), real(QStringLiteral("y"), o.rect.y()),
                   real(QStringLiteral("width"), o.rect.width(), extentMayBeNegative),
                   real(QStringLiteral("height"), o.rect.height(), extentMayBeNegative));
        o.text = attribute(QStringLiteral("text"), o.text);
        o.fontFamily = attribute(QStringLiteral("font"), o.fontFamily);
        o.fontSize = real(QStringLiteral("size"), o.fontSize, false);
        if (o.fontSize <= 0)
            fail(QStringLiteral("字号必须大于 0"));
        o.bold = flag(QStringLiteral("bold"), o.bold);
        o.italic = flag(QStringLiteral("italic"), o.italic);
        o.underline = flag(QStringLiteral("underline"), o.underline);
        o.textColor = color(QStringLiteral("color"), o.textColor);
        o.alignment = alignment(o.alignment);
        o.wordWrap = flag(QStringLiteral("wordWrap"), o.wordWrap);
        o.clip = flag(QStringLiteral("clip"), o.clip);
        o.rotation = whole(QStringLiteral("rotation"), o.rotation, {0, 90, 180, 270});
        o.padding = real(QStringLiteral("padding"), o.padding, false);
        o.displayFormat = attribute(QStringLiteral("format"), o.displayFormat);
        o.cellCount = whole(QStringLiteral("cells"), o.cellCount, {}, maxCells);
        o.cellWidth = positive(QStringLiteral("cellWidth"), o.cellWidth);
        o.shrinkToFit = flag(QStringLiteral("shrink"), o.shrinkToFit);
        o.minFontSize = positive(QStringLiteral("minSize"), o.minFontSize);
        o.frame = flag(QStringLiteral("frame"), o.frame);
        o.lineWidth = real(QStringLiteral("lineWidth"), o.lineWidth, false);
        o.pictureExpression = attribute(QStringLiteral("pictureExpression"), o.pictureExpression);
        const auto symbology = ReportXmlNames::symbology(
            attribute(QStringLiteral("symbology"), ReportXmlNames::symbologyName(o.symbology)));
        if (!symbology)
            fail(QStringLiteral("未知的条码类型"));
        o.symbology = *symbology;
        o.checkExpression = attribute(QStringLiteral("checkExpression"), o.checkExpression);
        o.visibleExpression = attribute(QStringLiteral("visible"), o.visibleExpression);
        o.locked = flag(QStringLiteral("locked"), o.locked);
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"Data" || !o.picture.isEmpty())
                unexpectedElement();
            allow({});
            o.picture = base64();
        }
        return o;
    }

    Qt::Alignment alignment(Qt::Alignment defaults) const
    {
        const auto h = ReportXmlNames::horizontal(
            attribute(QStringLiteral("align"), ReportXmlNames::horizontalName(defaults)));
        const auto v = ReportXmlNames::vertical(
            attribute(QStringLiteral("valign"), ReportXmlNames::verticalName(defaults)));
        if (!h || !v)
            fail(QStringLiteral("未知的对齐方式"));
        return *h | *v;
    }

    QXmlStreamReader m_xml;
};

} // namespace

ReportTemplate ReportXmlReader::read(const QByteArray &bytes)
{
    if (bytes.trimmed().isEmpty())
        throw ReportError(QStringLiteral("无法读取报表模板：内容为空"));
    return Reader(bytes).read();
}
