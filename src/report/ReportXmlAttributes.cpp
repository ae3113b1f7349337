#include "ReportXmlAttributes.h"

#include "ReportError.h"
#include "ReportXmlNames.h"
#include "ReportXmlText.h"

#include <QLocale>
#include <cmath>

namespace ReportXmlAttributes {

namespace {

// More cells than any form has; bounds the work a damaged file can ask for.
constexpr int maxCells = 1000;

// Shortest text that reads back as the same double, so geometry round-trips exactly.
QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString colorName(const QColor &color)
{
    return color.name(color.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

} // namespace

void Writer::text(const QString &name, const QString &value, const QString &defaultValue)
{
    if (value != defaultValue)
        m_xml.writeAttribute(name, ReportXmlText::escape(value));
}

void Writer::real(const QString &name, double value, double defaultValue)
{
    if (value != defaultValue)
        m_xml.writeAttribute(name, number(value));
}

void Writer::flag(const QString &name, bool value, bool defaultValue)
{
    if (value != defaultValue)
        m_xml.writeAttribute(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void Writer::writePage(const ReportPage &page)
{
    const ReportPage d;
    text(QStringLiteral("name"), page.name, d.name);
    text(QStringLiteral("paper"), page.paper, d.paper);
    real(QStringLiteral("width"), page.customSize.width(), d.customSize.width());
    real(QStringLiteral("height"), page.customSize.height(), d.customSize.height());
    flag(QStringLiteral("landscape"), page.landscape, d.landscape);
    real(QStringLiteral("left"), page.margins.left(), d.margins.left());
    real(QStringLiteral("top"), page.margins.top(), d.margins.top());
    real(QStringLiteral("right"), page.margins.right(), d.margins.right());
    real(QStringLiteral("bottom"), page.margins.bottom(), d.margins.bottom());
    real(QStringLiteral("printOffsetX"), page.printOffset.x(), d.printOffset.x());
    real(QStringLiteral("printOffsetY"), page.printOffset.y(), d.printOffset.y());
    real(QStringLiteral("printScaleX"), page.printScaleX, d.printScaleX);
    real(QStringLiteral("printScaleY"), page.printScaleY, d.printScaleY);
    real(QStringLiteral("backgroundX"), page.backgroundRect.x(), d.backgroundRect.x());
    real(QStringLiteral("backgroundY"), page.backgroundRect.y(), d.backgroundRect.y());
    real(QStringLiteral("backgroundWidth"), page.backgroundRect.width(), d.backgroundRect.width());
    real(QStringLiteral("backgroundHeight"), page.backgroundRect.height(),
         d.backgroundRect.height());
}

void Writer::writeObject(const ReportObject &object, const QStringList &rectNames)
{
    const ReportObject d;
    text(QStringLiteral("name"), object.name, d.name);
    real(rectNames[0], object.rect.x(), d.rect.x());
    real(rectNames[1], object.rect.y(), d.rect.y());
    real(rectNames[2], object.rect.width(), d.rect.width());
    real(rectNames[3], object.rect.height(), d.rect.height());
    text(QStringLiteral("text"), object.text, d.text);
    text(QStringLiteral("font"), object.fontFamily, d.fontFamily);
    real(QStringLiteral("size"), object.fontSize, d.fontSize);
    flag(QStringLiteral("bold"), object.bold, d.bold);
    flag(QStringLiteral("italic"), object.italic, d.italic);
    flag(QStringLiteral("underline"), object.underline, d.underline);
    text(QStringLiteral("color"), colorName(object.textColor), colorName(d.textColor));
    text(QStringLiteral("align"), ReportXmlNames::horizontalName(object.alignment),
         ReportXmlNames::horizontalName(d.alignment));
    text(QStringLiteral("valign"), ReportXmlNames::verticalName(object.alignment),
         ReportXmlNames::verticalName(d.alignment));
    flag(QStringLiteral("wordWrap"), object.wordWrap, d.wordWrap);
    flag(QStringLiteral("clip"), object.clip, d.clip);
    real(QStringLiteral("rotation"), object.rotation, d.rotation);
    real(QStringLiteral("padding"), object.padding, d.padding);
    text(QStringLiteral("format"), object.displayFormat, d.displayFormat);
    real(QStringLiteral("cells"), object.cellCount, d.cellCount);
    real(QStringLiteral("cellWidth"), object.cellWidth, d.cellWidth);
    flag(QStringLiteral("shrink"), object.shrinkToFit, d.shrinkToFit);
    real(QStringLiteral("minSize"), object.minFontSize, d.minFontSize);
    flag(QStringLiteral("frame"), object.frame, d.frame);
    real(QStringLiteral("lineWidth"), object.lineWidth, d.lineWidth);
    text(QStringLiteral("pictureExpression"), object.pictureExpression, d.pictureExpression);
    text(QStringLiteral("symbology"), ReportXmlNames::symbologyName(object.symbology),
         ReportXmlNames::symbologyName(d.symbology));
    text(QStringLiteral("checkExpression"), object.checkExpression, d.checkExpression);
    text(QStringLiteral("visible"), object.visibleExpression, d.visibleExpression);
    flag(QStringLiteral("locked"), object.locked, d.locked);
}

void Reader::readRoot(const QString &root, const QSet<QString> &attributes,
                      const QString &versionOf, int newestVersion)
{
    if (!m_xml.readNextStartElement())
        fail(QStringLiteral("不是%1").arg(m_fileKind));
    if (m_xml.name() != root)
        fail(QStringLiteral("不是%1（根元素为 %2）").arg(m_fileKind, m_xml.name()));
    allow(attributes);
    bool ok = false;
    const int version = m_xml.attributes().value(QStringLiteral("version")).toInt(&ok);
    if (!ok || version < 1)
        fail(QStringLiteral("缺少有效的版本号"));
    if (version > newestVersion)
        fail(QStringLiteral("%1版本 %2 高于本程序能读取的版本 %3")
                 .arg(versionOf)
                 .arg(version)
                 .arg(newestVersion));
}

void Reader::readToEnd()
{
    while (!m_xml.atEnd())
        m_xml.readNext();
    if (m_xml.hasError())
        fail(m_xml.errorString());
}

void Reader::fail(const QString &why) const
{
    throw ReportError(QStringLiteral("无法读取%1（第 %2 行）：%3")
                          .arg(m_fileKind)
                          .arg(m_xml.lineNumber())
                          .arg(why));
}

void Reader::unexpectedElement() const
{
    if (m_xml.hasError())
        fail(m_xml.errorString());
    fail(QStringLiteral("意外的元素 %1").arg(m_xml.name()));
}

void Reader::allow(const QSet<QString> &names)
{
    for (const QXmlStreamAttribute &a : m_xml.attributes())
        if (!names.contains(a.name().toString()))
            fail(QStringLiteral("元素 %1 有未知的属性 %2").arg(m_xml.name(), a.name()));
}

QString Reader::attribute(const QString &name, const QString &defaultValue) const
{
    const QXmlStreamAttributes attributes = m_xml.attributes();
    if (!attributes.hasAttribute(name))
        return defaultValue;
    const auto text = ReportXmlText::unescape(attributes.value(name).toString());
    if (!text)
        fail(QStringLiteral("属性 %1 的文本转义无效").arg(name));
    return *text;
}

double Reader::real(const QString &name, double defaultValue, bool mayBeNegative) const
{
    if (!m_xml.attributes().hasAttribute(name))
        return defaultValue;
    bool ok = false;
    const double value = m_xml.attributes().value(name).toDouble(&ok);
    if (!ok || !std::isfinite(value) || (!mayBeNegative && value < 0))
        fail(QStringLiteral("属性 %1 的值不是有效的数").arg(name));
    return value;
}

double Reader::positive(const QString &name, double defaultValue) const
{
    const double value = real(name, defaultValue, false);
    if (value <= 0)
        fail(QStringLiteral("属性 %1 必须大于 0").arg(name));
    return value;
}

// A whole number from `allowed` when given, else from 0 to `maximum`.
int Reader::whole(const QString &name, int defaultValue, const QList<int> &allowed,
                  int maximum) const
{
    const QString text = attribute(name, QString::number(defaultValue));
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || (allowed.isEmpty() ? value < 0 || value > maximum : !allowed.contains(value)))
        fail(QStringLiteral("属性 %1 的值无效").arg(name));
    return value;
}

QColor Reader::color(const QString &name, const QColor &defaultValue) const
{
    const QString text = attribute(name, QString());
    if (text.isEmpty())
        return defaultValue;
    const QColor value = QColor::fromString(text);
    if (!text.startsWith(u'#') || !value.isValid())
        fail(QStringLiteral("属性 %1 不是有效的颜色").arg(name));
    return value;
}

bool Reader::flag(const QString &name, bool defaultValue) const
{
    const QString value = attribute(name, defaultValue ? "1" : "0");
    if (value != u"0" && value != u"1")
        fail(QStringLiteral("属性 %1 只能是 0 或 1").arg(name));
    return value == u"1";
}

QByteArray Reader::base64()
{
    const QString text = m_xml.readElementText();
    if (m_xml.hasError())
        fail(m_xml.errorString());
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.isEmpty())
        fail(QStringLiteral("图片数据损坏"));
    return *decoded;
}

QSet<QString> Reader::pageNames()
{
    return {"name",
            "paper",
            "width",
            "height",
            "landscape",
            "left",
            "top",
            "right",
            "bottom",
            "printOffsetX",
            "printOffsetY",
            "printScaleX",
            "printScaleY",
            "backgroundX",
            "backgroundY",
            "backgroundWidth",
            "backgroundHeight"};
}

void Reader::readPage(ReportPage &page)
{
    page.name = attribute(QStringLiteral("name"), page.name);
    page.paper = attribute(QStringLiteral("paper"), page.paper);
    page.customSize = QSizeF(real(QStringLiteral("width"), page.customSize.width(), false),
                             real(QStringLiteral("height"), page.customSize.height(), false));
    page.landscape = flag(QStringLiteral("landscape"), page.landscape);
    page.margins = QMarginsF(real(QStringLiteral("left"), page.margins.left(), false),
                             real(QStringLiteral("top"), page.margins.top(), false),
                             real(QStringLiteral("right"), page.margins.right(), false),
                             real(QStringLiteral("bottom"), page.margins.bottom(), false));
    page.printOffset =
        QPointF(real(QStringLiteral("printOffsetX"), 0), real(QStringLiteral("printOffsetY"), 0));
    page.printScaleX = positive(QStringLiteral("printScaleX"), page.printScaleX);
    page.printScaleY = positive(QStringLiteral("printScaleY"), page.printScaleY);
    page.backgroundRect =
        QRectF(real(QStringLiteral("backgroundX"), 0), real(QStringLiteral("backgroundY"), 0),
               real(QStringLiteral("backgroundWidth"), 0, false),
               real(QStringLiteral("backgroundHeight"), 0, false));
}

QSet<QString> Reader::objectNames(const QStringList &rectNames)
{
    QSet<QString> names{"name",      "text",
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
                        "visible",   "locked"};
    for (const QString &name : rectNames)
        names.insert(name);
    return names;
}

void Reader::readObject(ReportObject &o, const QStringList &rectNames)
{
    o.name = attribute(QStringLiteral("name"), o.name);
    // A line runs from the rectangle's top-left to its bottom-right corner, so one drawn
    // upward or leftward has a negative extent; other objects never do.
    const bool extentMayBeNegative = o.kind == ReportObject::Kind::Line;
    o.rect = QRectF(real(rectNames[0], o.rect.x()), real(rectNames[1], o.rect.y()),
                    real(rectNames[2], o.rect.width(), extentMayBeNegative),
                    real(rectNames[3], o.rect.height(), extentMayBeNegative));
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
}

Qt::Alignment Reader::alignment(Qt::Alignment defaults) const
{
    const auto h = ReportXmlNames::horizontal(
        attribute(QStringLiteral("align"), ReportXmlNames::horizontalName(defaults)));
    const auto v = ReportXmlNames::vertical(
        attribute(QStringLiteral("valign"), ReportXmlNames::verticalName(defaults)));
    if (!h || !v)
        fail(QStringLiteral("未知的对齐方式"));
    return *h | *v;
}

} // namespace ReportXmlAttributes
