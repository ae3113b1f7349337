#include "PreparedReportWriter.h"

#include "ReportXmlNames.h"
#include "ReportXmlText.h"

#include <QHash>
#include <QLocale>
#include <QXmlStreamWriter>

namespace {

QString number(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

class Writer {
public:
    explicit Writer(QByteArray *bytes) : m_xml(bytes) { m_xml.setAutoFormatting(true); }

    void write(const QList<PreparedPage> &pages)
    {
        m_xml.writeStartDocument();
        m_xml.writeStartElement(PreparedReportWriter::root);
        m_xml.writeAttribute(QStringLiteral("version"),
                             QString::number(PreparedReportWriter::formatVersion));
        // Pictures come first, so that the reader knows each one before a page names it.
        QList<QByteArray> pictures;
        for (const PreparedPage &page : pages) {
            collect(page.page.background, pictures);
            for (const PreparedItem &item : page.items) {
                collect(item.picture, pictures);
                collect(item.object.picture, pictures);
            }
        }
        for (const QByteArray &picture : pictures) {
            m_xml.writeStartElement(QStringLiteral("Image"));
            m_xml.writeAttribute(QStringLiteral("id"), QString::number(m_ids.value(picture)));
            m_xml.writeCharacters(QString::fromLatin1(picture.toBase64()));
            m_xml.writeEndElement();
        }
        for (const PreparedPage &page : pages)
            writePage(page);
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    void collect(const QByteArray &picture, QList<QByteArray> &pictures)
    {
        if (picture.isEmpty() || m_ids.contains(picture))
            return;
        pictures.append(picture);
        m_ids.insert(picture, int(pictures.size()));
    }

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
    void picture(const QString &name, const QByteArray &bytes)
    {
        if (!bytes.isEmpty())
            m_xml.writeAttribute(name, QString::number(m_ids.value(bytes)));
    }
    void rect(const QStringList &names, const QRectF &value, const QRectF &defaultValue)
    {
        real(names[0], value.x(), defaultValue.x());
        real(names[1], value.y(), defaultValue.y());
        real(names[2], value.width(), defaultValue.width());
        real(names[3], value.height(), defaultValue.height());
    }

    void writePage(const PreparedPage &prepared)
    {
        const ReportPage &page = prepared.page;
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
        picture(QStringLiteral("background"), page.background);
        for (const PreparedItem &item : prepared.items)
            writeItem(item);
        m_xml.writeEndElement();
    }

    // One element per drawn object: where and what it draws, then the template object it
    // came from, so that a page reads back exactly as it was prepared.
    void writeItem(const PreparedItem &item)
    {
        const ReportObject &object = item.object;
        const ReportObject d;
        m_xml.writeEmptyElement(ReportXmlNames::objectKindName(object.kind));
        rect({"x", "y", "width", "height"}, item.rect, QRectF());
        text(QStringLiteral("value"), item.text, QString());
        picture(QStringLiteral("picture"), item.picture);
        text(QStringLiteral("name"), object.name, d.name);
        rect({"objectX", "objectY", "objectWidth", "objectHeight"}, object.rect, d.rect);
        text(QStringLiteral("text"), object.text, d.text);
        text(QStringLiteral("font"), object.fontFamily, d.fontFamily);
        real(QStringLiteral("size"), object.fontSize, d.fontSize);
        flag(QStringLiteral("bold"), object.bold, d.bold);
        flag(QStringLiteral("italic"), object.italic, d.italic);
        text(QStringLiteral("align"), ReportXmlNames::horizontalName(object.alignment),
             ReportXmlNames::horizontalName(d.alignment));
        text(QStringLiteral("valign"), ReportXmlNames::verticalName(object.alignment),
             ReportXmlNames::verticalName(d.alignment));
        flag(QStringLiteral("wordWrap"), object.wordWrap, d.wordWrap);
        real(QStringLiteral("padding"), object.padding, d.padding);
        flag(QStringLiteral("frame"), object.frame, d.frame);
        real(QStringLiteral("lineWidth"), object.lineWidth, d.lineWidth);
        text(QStringLiteral("pictureExpression"), object.pictureExpression, d.pictureExpression);
        picture(QStringLiteral("data"), object.picture);
    }

    QXmlStreamWriter m_xml;
    QHash<QByteArray, int> m_ids;
};

} // namespace

QByteArray PreparedReportWriter::write(const QList<PreparedPage> &pages)
{
    QByteArray bytes;
    Writer(&bytes).write(pages);
    return bytes;
}
