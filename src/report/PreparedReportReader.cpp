#include "PreparedReportReader.h"

#include "PreparedReportWriter.h"
#include "ReportError.h"
#include "ReportXmlNames.h"
#include "ReportXmlText.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <cmath>

namespace {

class Reader {
public:
    explicit Reader(const QByteArray &bytes) : m_xml(bytes) {}

    QList<PreparedPage> read()
    {
        if (!m_xml.readNextStartElement())
            fail(QStringLiteral("不是预览文件"));
        if (m_xml.name() != PreparedReportWriter::root)
            fail(QStringLiteral("不是预览文件（根元素为 %1）").arg(m_xml.name()));
        allow({QStringLiteral("version")});
        bool ok = false;
        const int version = m_xml.attributes().value(QStringLiteral("version")).toInt(&ok);
        if (!ok || version < 1)
            fail(QStringLiteral("缺少有效的版本号"));
        if (version > PreparedReportWriter::formatVersion)
            fail(QStringLiteral("文件版本 %1 高于本程序能读取的版本 %2")
                     .arg(version)
                     .arg(PreparedReportWriter::formatVersion));

        QList<PreparedPage> pages;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"Image" && pages.isEmpty())
                readImage();
            else if (m_xml.name() == u"Page")
                pages.append(readPage());
            else
                unexpectedElement();
        }
        while (!m_xml.atEnd())
            m_xml.readNext();
        if (m_xml.hasError())
            fail(m_xml.errorString());
        return pages;
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw ReportError(
            QStringLiteral("无法读取预览文件（第 %1 行）：%2").arg(m_xml.lineNumber()).arg(why));
    }

    [[noreturn]] void unexpectedElement() const
    {
        if (m_xml.hasError())
            fail(m_xml.errorString());
        fail(QStringLiteral("意外的元素 %1").arg(m_xml.name()));
    }

    void allow(const QSet<QString> &names)
    {
        for (const QXmlStreamAttribute &a : m_xml.attributes())
            if (!names.contains(a.name().toString()))
                fail(QStringLiteral("元素 %1 有未知的属性 %2").arg(m_xml.name(), a.name()));
    }

    void noChildren()
    {
        if (m_xml.readNextStartElement())
            unexpectedElement();
    }

    QString text(const QString &name, const QString &defaultValue) const
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

    bool flag(const QString &name, bool defaultValue) const
    {
        const QString value = text(name, defaultValue ? "1" : "0");
        if (value != u"0" && value != u"1")
            fail(QStringLiteral("属性 %1 只能是 0 或 1").arg(name));
        return value == u"1";
    }

    QRectF rect(const QStringList &names, const QRectF &defaultValue, bool mayBeNegative) const
    {
        return QRectF(real(names[0], defaultValue.x()), real(names[1], defaultValue.y()),
                      real(names[2], defaultValue.width(), mayBeNegative),
                      real(names[3], defaultValue.height(), mayBeNegative));
    }

    QByteArray picture(const QString &name) const
    {
        if (!m_xml.attributes().hasAttribute(name))
            return {};
        bool ok = false;
        const int id = m_xml.attributes().value(name).toInt(&ok);
        const auto it = m_pictures.constFind(id);
        if (!ok || it == m_pictures.cend())
            fail(QStringLiteral("属性 %1 引用了不存在的图片").arg(name));
        return *it;
    }

    void readImage()
    {
        allow({QStringLiteral("id")});
        bool ok = false;
        const int id = m_xml.attributes().value(QStringLiteral("id")).toInt(&ok);
        if (!ok || m_pictures.contains(id))
            fail(QStringLiteral("图片编号无效或重复"));
        const QString data = m_xml.readElementText();
        if (m_xml.hasError())
            fail(m_xml.errorString());
        const auto decoded = QByteArray::fromBase64Encoding(
            data.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded || decoded.decoded.isEmpty())
            fail(QStringLiteral("图片数据损坏"));
        m_pictures.insert(id, *decoded);
    }

    PreparedPage readPage()
    {
        allow({"name", "paper", "width", "height", "landscape", "left", "top", "right", "bottom",
               "printOffsetX", "printOffsetY", "background"});
        PreparedPage prepared;
        ReportPage &page = prepared.page;
        page.name = text(QStringLiteral("name"), page.name);
        page.paper = text(QStringLiteral("paper"), page.paper);
        page.customSize = QSizeF(real(QStringLiteral("width"), page.customSize.width(), false),
                                 real(QStringLiteral("height"), page.customSize.height(), false));
        page.landscape = flag(QStringLiteral("landscape"), page.landscape);
        page.margins = QMarginsF(real(QStringLiteral("left"), page.margins.left(), false),
                                 real(QStringLiteral("top"), page.margins.top(), false),
                                 real(QStringLiteral("right"), page.margins.right(), false),
                                 real(QStringLiteral("bottom"), page.margins.bottom(), false));
        page.printOffset = QPointF(real(QStringLiteral("printOffsetX"), 0),
                                   real(QStringLiteral("printOffsetY"), 0));
        page.background = picture(QStringLiteral("background"));
        while (m_xml.readNextStartElement()) {
            const auto kind = ReportXmlNames::objectKind(m_xml.name().toString());
            if (!kind)
                unexpectedElement();
            prepared.items.append(readItem(*kind));
        }
        return prepared;
    }

    PreparedItem readItem(ReportObject::Kind kind)
    {
        allow({"x",
               "y",
               "width",
               "height",
               "value",
               "picture",
               "name",
               "objectX",
               "objectY",
               "objectWidth",
               "objectHeight",
               "text",
               "font",
               "size",
               "bold",
               "italic",
               "align",
               "valign",
               "wordWrap",
               "padding",
               "frame",
               "lineWidth",
               "pictureExpression",
               "data"});
        const bool line = kind == ReportObject::Kind::Line;
        PreparedItem item;
        ReportObject &o = item.object;
        o.kind = kind;
        item.rect = rect({"x", "y", "width", "height"}, QRectF(), line);
        item.text = text(QStringLiteral("value"), QString());
        item.picture = picture(QStringLiteral("picture"));
        o.name = text(QStringLiteral("name"), o.name);
        o.rect = rect({"objectX", "objectY", "objectWidth", "objectHeight"}, o.rect, line);
        o.text = text(QStringLiteral("text"), o.text);
        o.fontFamily = text(QStringLiteral("font"), o.fontFamily);
        o.fontSize = real(QStringLiteral("size"), o.fontSize, false);
        if (o.fontSize <= 0)
            fail(QStringLiteral("字号必须大于 0"));
        o.bold = flag(QStringLiteral("bold"), o.bold);
        o.italic = flag(QStringLiteral("italic"), o.italic);
        const auto h = ReportXmlNames::horizontal(
            text(QStringLiteral("align"), ReportXmlNames::horizontalName(o.alignment)));
        const auto v = ReportXmlNames::vertical(
            text(QStringLiteral("valign"), ReportXmlNames::verticalName(o.alignment)));
        if (!h || !v)
            fail(QStringLiteral("未知的对齐方式"));
        o.alignment = *h | *v;
        o.wordWrap = flag(QStringLiteral("wordWrap"), o.wordWrap);
        o.padding = real(QStringLiteral("padding"), o.padding, false);
        o.frame = flag(QStringLiteral("frame"), o.frame);
        o.lineWidth = real(QStringLiteral("lineWidth"), o.lineWidth, false);
        o.pictureExpression = text(QStringLiteral("pictureExpression"), o.pictureExpression);
        o.picture = picture(QStringLiteral("data"));
        noChildren();
        return item;
    }

    QXmlStreamReader m_xml;
    QHash<int, QByteArray> m_pictures;
};

} // namespace

QList<PreparedPage> PreparedReportReader::read(const QByteArray &bytes)
{
    if (bytes.trimmed().isEmpty())
        throw ReportError(QStringLiteral("无法读取预览文件：内容为空"));
    return Reader(bytes).read();
}
