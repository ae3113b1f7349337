#include "ReportXmlReader.h"

#include "ReportError.h"
#include "ReportXmlAttributes.h"
#include "ReportXmlNames.h"
#include "ReportXmlWriter.h"

namespace {

class Reader : public ReportXmlAttributes::Reader {
public:
    explicit Reader(const QByteArray &bytes)
        : ReportXmlAttributes::Reader(bytes, QStringLiteral("报表模板"))
    {
    }

    ReportTemplate read()
    {
        readRoot(ReportXmlNames::root, {QStringLiteral("version"), QStringLiteral("printer")},
                 QStringLiteral("模板"), ReportXmlWriter::formatVersion);

        ReportTemplate report;
        report.printerName = attribute(QStringLiteral("printer"), report.printerName);
        bool scriptSeen = false;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"Script" && !scriptSeen && report.pages.isEmpty()) {
                scriptSeen = true;
                report.script = readScript();
            } else if (m_xml.name() == u"Page") {
                report.pages.append(readTemplatePage());
            } else {
                unexpectedElement();
            }
        }
        readToEnd();
        return report;
    }

private:
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

    ReportPage readTemplatePage()
    {
        allow(pageNames());
        ReportPage page;
        readPage(page);
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
            band.objects.append(readTemplateObject(*kind));
        }
        return band;
    }

    ReportObject readTemplateObject(ReportObject::Kind kind)
    {
        allow(objectNames(ReportXmlAttributes::objectRect));
        ReportObject o;
        o.kind = kind;
        readObject(o, ReportXmlAttributes::objectRect);
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != u"Data" || !o.picture.isEmpty())
                unexpectedElement();
            allow({});
            o.picture = base64();
        }
        return o;
    }
};

} // namespace

ReportTemplate ReportXmlReader::read(const QByteArray &bytes)
{
    if (bytes.trimmed().isEmpty())
        throw ReportError(QStringLiteral("无法读取报表模板：内容为空"));
    return Reader(bytes).read();
}
