#include "PreparedReportReader.h"

#include "PreparedReportWriter.h"
#include "ReportError.h"
#include "ReportXmlAttributes.h"
#include "ReportXmlNames.h"

#include <QHash>

namespace {

class Reader : public ReportXmlAttributes::Reader {
public:
    explicit Reader(const QByteArray &bytes)
        : ReportXmlAttributes::Reader(bytes, QStringLiteral("预览文件"))
    {
    }

    QList<PreparedPage> read()
    {
        readRoot(PreparedReportWriter::root, {QStringLiteral("version")}, QStringLiteral("文件"),
                 PreparedReportWriter::formatVersion);

        QList<PreparedPage> pages;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == u"Image" && pages.isEmpty())
                readImage();
            else if (m_xml.name() == u"Page")
                pages.append(readPreparedPage());
            else
                unexpectedElement();
        }
        readToEnd();
        return pages;
    }

private:
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
        m_pictures.insert(id, base64());
    }

    PreparedPage readPreparedPage()
    {
        allow(pageNames() + QSet<QString>{QStringLiteral("background")});
        PreparedPage prepared;
        readPage(prepared.page);
        prepared.page.background = picture(QStringLiteral("background"));
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
        allow(objectNames(ReportXmlAttributes::preparedObjectRect) +
              QSet<QString>{"x", "y", "width", "height", "value", "picture", "checked", "data"});
        PreparedItem item;
        item.object.kind = kind;
        const bool line = kind == ReportObject::Kind::Line;
        item.rect =
            QRectF(real(QStringLiteral("x"), 0), real(QStringLiteral("y"), 0),
                   real(QStringLiteral("width"), 0, line), real(QStringLiteral("height"), 0, line));
        item.text = attribute(QStringLiteral("value"), QString());
        item.picture = picture(QStringLiteral("picture"));
        item.checked = flag(QStringLiteral("checked"), false);
        readObject(item.object, ReportXmlAttributes::preparedObjectRect);
        item.object.picture = picture(QStringLiteral("data"));
        if (m_xml.readNextStartElement())
            unexpectedElement();
        return item;
    }

    QHash<int, QByteArray> m_pictures;
};

} // namespace

QList<PreparedPage> PreparedReportReader::read(const QByteArray &bytes)
{
    if (bytes.trimmed().isEmpty())
        throw ReportError(QStringLiteral("无法读取预览文件：内容为空"));
    return Reader(bytes).read();
}
