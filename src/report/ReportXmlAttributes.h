#pragma once

#include "ReportObject.h"
#include "ReportPage.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

// The attributes by which the engine's XML files (templates and prepared reports) store a
// page's settings and an object's properties, written and read in one place so that both
// files carry every property. Pictures are left to each file, which stores them its own way.
namespace ReportXmlAttributes {

// Names of an object's rectangle: a template's object, and one drawn on a prepared page,
// whose own place takes the plain names there.
inline const QStringList objectRect{QStringLiteral("x"), QStringLiteral("y"),
                                    QStringLiteral("width"), QStringLiteral("height")};
inline const QStringList preparedObjectRect{QStringLiteral("objectX"), QStringLiteral("objectY"),
                                            QStringLiteral("objectWidth"),
                                            QStringLiteral("objectHeight")};

class Writer {
public:
    explicit Writer(QByteArray *bytes) : m_xml(bytes) { m_xml.setAutoFormatting(true); }

protected:
    // Properties at their default values are left out.
    void text(const QString &name, const QString &value, const QString &defaultValue);
    void real(const QString &name, double value, double defaultValue);
    void flag(const QString &name, bool value, bool defaultValue);
    void writePage(const ReportPage &page);
    void writeObject(const ReportObject &object, const QStringList &rectNames);

    QXmlStreamWriter m_xml;
};

class Reader {
public:
    // fileKind names the file in messages ("报表模板", "预览文件").
    Reader(const QByteArray &bytes, const QString &fileKind) : m_xml(bytes), m_fileKind(fileKind) {}

protected:
    // Enters the root element, named `root` with only `attributes`, and checks its version
    // against the newest this program reads; `versionOf` names what has the version in
    // messages ("模板").
    void readRoot(const QString &root, const QSet<QString> &attributes, const QString &versionOf,
                  int newestVersion);
    // Reads past the root's end tag, refusing whatever else is not XML.
    void readToEnd();
    // Throws ReportError saying what is wrong and on which line.
    [[noreturn]] void fail(const QString &why) const;
    [[noreturn]] void unexpectedElement() const;
    // Stored forms hold only what the writer writes: anything else would be lost silently.
    void allow(const QSet<QString> &names);
    QString attribute(const QString &name, const QString &defaultValue) const;
    double real(const QString &name, double defaultValue, bool mayBeNegative = true) const;
    bool flag(const QString &name, bool defaultValue) const;
    // The text of the current element as base64 picture bytes, never empty.
    QByteArray base64();

    static QSet<QString> pageNames();
    void readPage(ReportPage &page);
    static QSet<QString> objectNames(const QStringList &rectNames);
    void readObject(ReportObject &object, const QStringList &rectNames);

    QXmlStreamReader m_xml;

private:
    double positive(const QString &name, double defaultValue) const;
    int whole(const QString &name, int defaultValue, const QList<int> &allowed,
              int maximum = 0) const;
    QColor color(const QString &name, const QColor &defaultValue) const;
    Qt::Alignment alignment(Qt::Alignment defaults) const;

    QString m_fileKind;
};

} // namespace ReportXmlAttributes
