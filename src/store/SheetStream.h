#pragma once

#include "Worksheet.h"

#include <QByteArray>

class QIODevice;

// The byte stream in which the .xls reader process hands a worksheet to the program: progress
// notes, the sheet's name, its cells, and an end mark or a refusal. The program trusts
// nothing in it: every size is bounded and anything out of order is a damaged workbook.
namespace SheetStream {

// Writing, in the reader process.
class Writer {
public:
    explicit Writer(QIODevice &out) : m_out(out) {}
    void progress(int permille);
    // The sheet's name and cells, then the end mark.
    void sheet(const Worksheet &sheet);
    // Why the file cannot be read: Worksheet::TooLarge, or any other error as NotAWorkbook.
    void refusal(const QString &message);

private:
    void write(const QByteArray &bytes);
    QIODevice &m_out;
};

// Reading, in the program, as the bytes come.
class Reader {
public:
    Reader(int columnLimit, const Worksheet::Progress &progress);
    // Takes the next bytes and reads every whole record among them. Throws
    // StoreError(NotAWorkbook) for a garbled stream, StoreError(TooLarge) for one past the
    // limits or when the reader process refused the file as too large.
    void feed(const QByteArray &bytes);
    // The sheet, once the stream has ended with its end mark and nothing after it; throws
    // StoreError(NotAWorkbook) for a stream cut short.
    Worksheet finish();

private:
    bool readRecord();
    Worksheet m_sheet;
    Worksheet::Progress m_progress;
    QByteArray m_pending;
    qsizetype m_read = 0; // bytes of m_pending already read
    qint64 m_textBytes = 0;
    bool m_ended = false;
};

} // namespace SheetStream
