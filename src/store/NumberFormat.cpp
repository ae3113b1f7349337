#include "NumberFormat.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace NumberFormat {

bool isDateCode(const QString &code)
{
    static const QRegularExpression elapsed(QStringLiteral("^(h+|m+|s+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString section = code.section(u';', 0, 0);
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i].toLower();
        if (c == u'"') {
            const qsizetype end = section.indexOf(u'"', i + 1);
            i = end < 0 ? section.size() : end;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u'[') {
            const qsizetype end = section.indexOf(u']', i + 1);
            if (end < 0)
                return false;
            if (elapsed.match(section.mid(i + 1, end - i - 1)).hasMatch())
                return true;
            i = end;
        } else if (c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u's') {
            return true;
        }
    }
    return false;
}

bool isBuiltInDate(int id)
{
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58);
}

// A serial day number as a date: days since 1899-12-30 (so that 61 is 1900-03-01 past the
// 29 February 1900 that spreadsheets count, and a time alone falls on 1899-12-30), or since
// 1904-01-01 in the 1904 system.
QVariant dateFromSerial(double serial, bool date1904)
{
    if (!(serial >= 0 && serial < 2958466)) // up to 9999-12-31
        return QVariant(serial);
    QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    if (!date1904 && serial >= 1 && serial < 61)
        base = QDate(1899, 12, 31);
    const qint64 seconds = std::llround(serial * 86400.0);
    return QDateTime(base.addDays(seconds / 86400), QTime(0, 0).addSecs(int(seconds % 86400)));
}

int zeroPadding(const QString &code)
{
    static const QRegularExpression zeros(QStringLiteral("^0+$"));
    return zeros.match(code).hasMatch() ? int(code.size()) : 0;
}

} // namespace NumberFormat
