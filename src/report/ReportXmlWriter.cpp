#include "ReportXmlWriter.h"

#include "ReportXmlNames.h"
#include "ReportXmlText.h"

#include <QLocale>
#include <QXmlStreamWriter>

namespace {

// Shortest text that reads back as the same double, so geometry round-trips exactly.
QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString colorName(const QColor &color)
{
    return color.name(color.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

class Writer {
public:
    explicit Writer(QByteArray *bytes) : m_xml(bytes) { m_xml.setAutoFormatting(true); }

    void write(const ReportTemplate &report)
    {
        const ReportTemplate defaults;
        m_xml.writeStartDocument();
        m_xml.writeStartElement(ReportXmlNames::root);
        m_xml.writeAttribute(QStringLiteral("version"),
                             QString::number(ReportXmlWriter::formatVersion));
        text(QStringLiteral("printer"), report.printerName, defaults.printerName);
        if (report.script != defaults.script) {
            m_xml.writeStartElement(QStringLiteral("Script"));
            for (const QString &line : report.script) {
                m_xml.writeEmptyElement(QStringLiteral("Line"));
                text(QStringLiteral("text"), line, QString());
            }
            m_xml.writeEndElement();
        }
        for (const ReportPage &page : report.pages)
            writePage(page);
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    void text(const QString &name, const QString &value, const QString &defaultValue)
    {
        if (value != defaultValue)
            m_xml.writeAttribute(name, ReportXmlText::escape(value));
    }
    void real(const QString &name, double value, double defaultValue)
    {
        if (value != defaultValue)
            m_xml.writeAttribute(name, number(value));
    }
    void flag(const QString &name, bool value, bool defaultValue)
    {
        if (value != defaultValue)
            m_xml.writeAttribute(name, value ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void bytes(const QString &element, const QByteArray &data)
    {
        if (!data.isEmpty())
            m_xml.writeTextElement(element, QString::fromLatin1(data.toBase64()));
    }

    void writePage(const ReportPage &page)
    {
        const ReportPage d;
        m_xml.writeStartElement(QStringLiteral("Page"));
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
        real(QStringLiteral("backgroundWidth"), page.backgroundRect.width(),
             d.backgroundRect.width());
        real(QStringLiteral("backgroundHeight"), page.backgroundRect.height(),
             d.backgroundRect.height());
        bytes(QStringLiteral("Background"), page.background);
        for (const ReportBand &band : page.bands)
            writeBand(band);
        m_xml.writeEndElement();
    }

    void writeBand(const ReportBand &band)
    {
        const ReportBand d;
        m_xml.writeStartElement(ReportXmlNames::bandTypeName(band.type));
        text(QStringLiteral("name"), band.name, d.name);
        real(QStringLiteral("height"), band.height, d.height);
        text(QStringLiteral("dataset"), band.dataset, d.dataset);
        flag(QStringLiteral("startNewPage"), band.startNewPage, d.startNewPage);
        for (const ReportObject &object : band.objects)
            writeObject(object);
        m_xml.writeEndElement();
    }

    void writeObject(const ReportObject &object)
    {
        const ReportObject d;
        m_xml.writeStartElement(ReportXmlNames::objectKindName(object.kind));
        text(QStringLiteral("name"), object.name, d.name);
        real(QStringLiteral("x"), object.rect.x(), d.rect.x());
        real(QStringLiteral("y"), object.rect.y(), d.rect.y());
        real(QStringLiteral("width"), object.rect.width(), d.rect.width());
        real(QStringLiteral("height"), object.rect.height(), d.rect.height());
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
        bytes(QStringLiteral("Data"), object.picture);
        m_xml.writeEndElement();
    }

    QXmlStreamWriter m_xml;
};

} // namespace

QByteArray ReportXmlWriter::write(const ReportTemplate &report)
{
    QByteArray bytes;
    Writer(&bytes).write(report);
    return bytes;
}
