#include "PreparedReportWriter.h"

#include "ReportXmlAttributes.h"
#include "ReportXmlNames.h"

#include <QHash>

namespace {

class Writer : public ReportXmlAttributes::Writer {
public:
    using ReportXmlAttributes::Writer::Writer;

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
            writePreparedPage(page);
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

    void picture(const QString &name, const QByteArray &bytes)
    {
        if (!bytes.isEmpty())
            m_xml.writeAttribute(name, QString::number(m_ids.value(bytes)));
    }

    void writePreparedPage(const PreparedPage &prepared)
    {
        m_xml.writeStartElement(QStringLiteral("Page"));
        writePage(prepared.page);
        picture(QStringLiteral("background"), prepared.page.background);
        for (const PreparedItem &item : prepared.items)
            writeItem(item);
        m_xml.writeEndElement();
    }

    // One element per drawn object: where and what it draws, then the template object it
    // came from, so that a page reads back exactly as it was prepared.
    void writeItem(const PreparedItem &item)
    {
        m_xml.writeEmptyElement(ReportXmlNames::objectKindName(item.object.kind));
        real(QStringLiteral("x"), item.rect.x(), 0);
        real(QStringLiteral("y"), item.rect.y(), 0);
        real(QStringLiteral("width"), item.rect.width(), 0);
        real(QStringLiteral("height"), item.rect.height(), 0);
        text(QStringLiteral("value"), item.text, QString());
        picture(QStringLiteral("picture"), item.picture);
        flag(QStringLiteral("checked"), item.checked, false);
        writeObject(item.object, ReportXmlAttributes::preparedObjectRect);
        picture(QStringLiteral("data"), item.object.picture);
    }

    QHash<QByteArray, int> m_ids;
};

} // namespace

QByteArray PreparedReportWriter::write(const QList<PreparedPage> &pages)
{
    QByteArray bytes;
    Writer(&bytes).write(pages);
    return bytes;
}
