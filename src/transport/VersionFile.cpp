#include "VersionFile.h"

#include "TransportError.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace {

[[noreturn]] void malformed(const QString &detail)
{
    throw TransportError(QStringLiteral("版本信息文件格式不正确。"), detail);
}

} // namespace

QList<int> versionNumbers(const QString &version)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{1,9}(\\.\\d{1,9}){0,3}$"));
    if (!pattern.match(version).hasMatch())
        return {};
    QList<int> numbers;
    for (const QString &part : version.split(u'.'))
        numbers << part.toInt();
    return numbers;
}

bool isNewerVersion(const QString &candidate, const QString &current)
{
    QList<int> a = versionNumbers(candidate), b = versionNumbers(current);
    if (a.isEmpty() || b.isEmpty())
        return false;
    while (a.size() < 4)
        a << 0;
    while (b.size() < 4)
        b << 0;
    return a > b;
}

VersionAnnouncement VersionAnnouncement::parse(const QByteArray &file)
{
    if (file.size() > MaxFileBytes)
        malformed(QStringLiteral("version file of %1 bytes").arg(file.size()));
    const QString text = QString::fromUtf8(file);
    QHash<QString, QString> values;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            malformed(QStringLiteral("line without key: %1").arg(line));
        const QString key = line.left(eq).trimmed().toLower();
        if (values.contains(key))
            malformed(QStringLiteral("key given twice: %1").arg(key));
        values.insert(key, line.mid(eq + 1).trimmed());
    }

    VersionAnnouncement a;
    a.version = values.value(QStringLiteral("version"));
    if (versionNumbers(a.version).isEmpty())
        malformed(QStringLiteral("version '%1'").arg(a.version));
    a.programUrl = QUrl(values.value(QStringLiteral("file")), QUrl::StrictMode);
    const QString scheme = a.programUrl.scheme().toLower();
    if (!a.programUrl.isValid() || a.programUrl.host().isEmpty() ||
        (scheme != u"http" && scheme != u"https"))
        malformed(QStringLiteral("file '%1'").arg(values.value(QStringLiteral("file"))));
    static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F]{64}$"));
    const QString digest = values.value(QStringLiteral("sha256"));
    if (!hex.match(digest).hasMatch())
        malformed(QStringLiteral("sha256 '%1'").arg(digest));
    a.sha256 = QByteArray::fromHex(digest.toLatin1());
    return a;
}
