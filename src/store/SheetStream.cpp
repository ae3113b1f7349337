#include "SheetStream.h"

#include "StoreError.h"

#include <QDateTime>
#include <QIODevice>
#include <QtEndian>
#include <cstdlib>
#include <cstring>

namespace SheetStream {

namespace {

// Records: a tag byte, then fixed little-endian fields; texts are a length and UTF-8 bytes.
enum Tag : char { Progress = 'P', Name = 'N', Cell = 'C', End = 'E', Refusal = 'X' };
enum Kind : char { Text = 'T', Double = 'D', Integer = 'I', Boolean = 'B', DateTime = 'W' };
enum RefusalCode : char { Unreadable = 1, Oversized = 2 };

// No cell text of a workbook comes near this (32767 characters at most).
constexpr quint32 MaxTextBytes = 1 << 20;
// All texts of one sheet together: some 512 MB once read.
constexpr qint64 MaxSheetTextBytes = qint64(256) << 20;

template <typename T> void append(QByteArray &out, T value)
{
    const T le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&le), sizeof le);
}

void appendText(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8().left(MaxTextBytes);
    append(out, quint32(utf8.size()));
    out += utf8;
}

[[noreturn]] void garbled()
{
    throw StoreError(Worksheet::NotAWorkbook);
}

// Reads fixed fields from the front of a buffer; false when the buffer is too short.
class Cursor {
public:
    Cursor(const QByteArray &bytes, qsizetype from) : m_bytes(bytes), m_at(from) {}
    template <typename T> bool read(T *value)
    {
        if (m_bytes.size() - m_at < qsizetype(sizeof(T)))
            return false;
        T le;
        std::memcpy(&le, m_bytes.constData() + m_at, sizeof le);
        *value = qFromLittleEndian(le);
        m_at += sizeof le;
        return true;
    }
    bool readText(QByteArray *text)
    {
        quint32 size = 0;
        if (!read(&size))
            return false;
        if (size > MaxTextBytes)
            garbled();
        if (m_bytes.size() - m_at < qsizetype(size))
            return false;
        *text = m_bytes.mid(m_at, size);
        m_at += size;
        return true;
    }
    qsizetype position() const { return m_at; }

private:
    const QByteArray &m_bytes;
    qsizetype m_at;
};

} // namespace

void Writer::write(const QByteArray &bytes)
{
    // A reader process that cannot hand over its sheet stops; the program then refuses it.
    if (m_out.write(bytes) != bytes.size())
        std::exit(3);
}

void Writer::progress(int permille)
{
    QByteArray out(1, Progress);
    append(out, quint16(qBound(0, permille, 1000)));
    write(out);
}

void Writer::sheet(const Worksheet &sheet)
{
    QByteArray out(1, Name);
    appendText(out, sheet.name());
    sheet.forEachCell([&](int row, int column, const QVariant &value) {
        out += Cell;
        append(out, quint32(row));
        append(out, quint16(column));
        switch (value.typeId()) {
        case QMetaType::Double:
            out += Double;
            append(out, value.toDouble());
            break;
        case QMetaType::LongLong:
            out += Integer;
            append(out, qint64(value.toLongLong()));
            break;
        case QMetaType::Bool:
            out += Boolean;
            out += char(value.toBool() ? 1 : 0);
            break;
        case QMetaType::QDateTime: {
            const QDateTime d = value.toDateTime();
            out += DateTime;
            append(out, qint64(d.date().toJulianDay()));
            append(out, quint32(d.time().msecsSinceStartOfDay()));
            break;
        }
        default:
            out += Text;
            appendText(out, value.toString());
        }
        if (out.size() >= 1 << 16) {
            write(out);
            out.clear();
        }
    });
    out += End;
    write(out);
}

void Writer::refusal(const QString &message)
{
    QByteArray out(1, Refusal);
    out += char(message == Worksheet::TooLarge ? Oversized : Unreadable);
    write(out);
}

Reader::Reader(int columnLimit, const Worksheet::Progress &progress)
    : m_sheet(columnLimit), m_progress(progress)
{
}

void Reader::feed(const QByteArray &bytes)
{
    m_pending += bytes;
    while (m_read < m_pending.size() && readRecord()) {
    }
    m_pending.remove(0, m_read);
    m_read = 0;
}

// Reads the next whole record of the pending bytes; false when it has not come in whole yet.
bool Reader::readRecord()
{
    if (m_ended)
        garbled();
    Cursor in(m_pending, m_read);
    char tag = 0;
    in.read(&tag);
    switch (tag) {
    case Progress: {
        quint16 permille = 0;
        if (!in.read(&permille))
            return false;
        if (permille > 1000)
            garbled();
        if (m_progress)
            m_progress(permille);
        break;
    }
    case Name: {
        QByteArray name;
        if (!in.readText(&name))
            return false;
        m_sheet.setName(QString::fromUtf8(name));
        break;
    }
    case Cell: {
        quint32 row = 0;
        quint16 column = 0;
        char kind = 0;
        if (!in.read(&row) || !in.read(&column) || !in.read(&kind))
            return false;
        QVariant value;
        switch (kind) {
        case Text: {
            QByteArray text;
            if (!in.readText(&text))
                return false;
            m_textBytes += text.size();
            if (m_textBytes > MaxSheetTextBytes)
                throw StoreError(Worksheet::TooLarge);
            value = QString::fromUtf8(text);
            break;
        }
        case Double: {
            double number = 0;
            if (!in.read(&number))
                return false;
            value = number;
            break;
        }
        case Integer: {
            qint64 number = 0;
            if (!in.read(&number))
                return false;
            value = number;
            break;
        }
        case Boolean: {
            quint8 flag = 0;
            if (!in.read(&flag))
                return false;
            if (flag > 1)
                garbled();
            value = flag == 1;
            break;
        }
        case DateTime: {
            qint64 day = 0;
            quint32 msecs = 0;
            if (!in.read(&day) || !in.read(&msecs))
                return false;
            const QDate date = QDate::fromJulianDay(day);
            if (!date.isValid() || msecs >= 86400000)
                garbled();
            value = QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
            break;
        }
        default:
            garbled();
        }
        if (row >= quint32(Worksheet::MaxRows))
            garbled();
        m_sheet.setCell(int(row), column, value);
        break;
    }
    case End:
        m_ended = true;
        break;
    case Refusal: {
        char code = 0;
        if (!in.read(&code))
            return false;
        throw StoreError(code == Oversized ? Worksheet::TooLarge : Worksheet::NotAWorkbook);
    }
    default:
        garbled();
    }
    m_read = in.position();
    return true;
}

Worksheet Reader::finish()
{
    if (!m_ended || !m_pending.isEmpty())
        garbled();
    return std::move(m_sheet);
}

} // namespace SheetStream
