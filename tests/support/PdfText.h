#pragma once

// Reads PDFs back with poppler's command-line tools, independent of Qt's PDF writer.

#include <QImage>
#include <QProcess>
#include <QSet>
#include <QSizeF>
#include <QString>
#include <QTemporaryDir>
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

// pdfimages' list of the images placed on the pages: two heading lines, then one line per
// image use.
inline QList<QByteArray> imageList(const QString &pdf)
{
    return run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).trimmed().split('\n');
}

inline int imageCount(const QString &pdf)
{
    return int(imageList(pdf).size()) - 2;
}

// Images stored in the PDF, however many times each is placed.
inline int storedImageCount(const QString &pdf)
{
    const QList<QByteArray> lines = imageList(pdf);
    QSet<QByteArray> objects;
    for (qsizetype i = 2; i < lines.size(); ++i)
        objects.insert(lines[i].simplified().split(' ').value(10)); // the "object" column
    return int(objects.size());
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

// One page (from 0) drawn by poppler in grey at a whole number of dots per millimetre.
inline QImage pageImage(const QString &pdf, int page, int dotsPerMm)
{
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("page"));
    const QString number = QString::number(page + 1);
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-gray"), QStringLiteral("-r"), QString::number(dotsPerMm * 25.4),
         QStringLiteral("-f"), number, QStringLiteral("-l"), number, QStringLiteral("-singlefile"),
         pdf, base});
    return QImage(base + QStringLiteral(".pgm"));
}

inline int pageCount(const QString &pdf)
{
    for (const QByteArray &line : run(QStringLiteral("pdfinfo"), {pdf}).split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

} // namespace PdfText
