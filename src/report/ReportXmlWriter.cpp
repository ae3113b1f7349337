#include "ReportXmlWriter.h"

#include "ReportXmlAttributes.h"
#include "ReportXmlNames.h"

namespace {

class Writer : public ReportXmlAttributes::Writer {
public:
    using ReportXmlAttributes::Writer::Writer;

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
        for (const ReportPage &page : report.pages) {
            m_xml.writeStartElement(QStringLiteral("Page"));
            writePage(page);
            bytes(QStringLiteral("Background"), page.background);
            for (const ReportBand &band : page.bands)
                writeBand(band);
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
        m_xml.writeEndDocument();
    }

private:
    void bytes(const QString &element, const QByteArray &data)
    {
        if (!data.isEmpty())
            m_xml.writeTextElement(element, QString::fromLatin1(data.toBase64()));
    }

    void writeBand(const ReportBand &band)
    {
        const ReportBand d;
        m_xml.writeStartElement(ReportXmlNames::bandTypeName(band.type));
        text(QStringLiteral("name"), band.name, d.name);
        real(QStringLiteral("height"), band.height, d.height);
        text(QStringLiteral("dataset"), band.dataset, d.dataset);
        flag(QStringLiteral("startNewPage"), band.startNewPage, d.startNewPage);
        for (const ReportObject &object : band.objects) {
            m_xml.writeStartElement(ReportXmlNames::objectKindName(object.kind));
            writeObject(object, ReportXmlAttributes::objectRect);
            bytes(QStringLiteral("Data"), object.picture);
            m_xml.writeEndElement();
        }
        m_xml.writeEndElement();
    }
};

} // namespace

QByteArray ReportXmlWriter::write(const ReportTemplate &report)
{
    QByteArray bytes;
    Writer(&bytes).write(report);
    return bytes;
}
