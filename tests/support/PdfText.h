#pragma once

// Reads PDFs back with poppler's command-line tools, independent of Qt's PDF writer.

#include <QProcess>
#include <QSizeF>
#include <QString>
#include <QXmlStreamReader>

namespace PdfText {

struct Word {
    int page; // from 0
    QString text;
    double xMm; // left edge of the first glyph box, from the paper's left edge
    double yMm; // top of the glyph box, from the paper's top edge
    double rightMm;
    double bottomMm;
};

inline QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

inline QList<Word> words(const QString &pdf)
{
    const QByteArray html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    constexpr double mmPerPoint = 25.4 / 72;
    QList<Word> found;
    int page = -1;
    QXmlStreamReader xml(html);
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"page") {
            ++page;
        } else if (xml.name() == u"word") {
            const auto at = [&](const char *name) {
                return xml.attributes().value(QLatin1String(name)).toDouble() * mmPerPoint;
            };
            const double x = at("xMin"), y = at("yMin"), right = at("xMax"), bottom = at("yMax");
            found.append({page, xml.readElementText(), x, y, right, bottom});
        }
    }
    return found;
}

// Images placed on the pages (one line per image use after two heading lines).
inline int imageCount(const QString &pdf)
{
    const QList<QByteArray> lines =
        run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).trimmed().split('\n');
    return int(lines.size()) - 2;
}

// Each page's size in millimetres, as the PDF's media boxes give it.
inline QList<QSizeF> pageSizesMm(const QString &pdf)
{
    QList<QSizeF> sizes;
    const QByteArray info =
        run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), QStringLiteral("999"), pdf});
    for (const QByteArray &line : info.split('\n')) {
        // "Page    1 size: 595.276 x 841.89 pts (A4)"
        if (!line.startsWith("Page") || !line.contains(" size: "))
            continue;
        const QList<QByteArray> parts = line.split(':').value(1).simplified().split(' ');
        constexpr double mmPerPoint = 25.4 / 72;
        sizes.append(
            QSizeF(parts.value(0).toDouble() * mmPerPoint, parts.value(2).toDouble() * mmPerPoint));
    }
    return sizes;
}

inline int pageCount(const QString &pdf)
{
    for (const QByteArray &line : run(QStringLiteral("pdfinfo"), {pdf}).split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

} // namespace PdfText
