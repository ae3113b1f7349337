#pragma once

#include "Worksheet.h"

#include <QStringList>

// Reads legacy .xls workbooks (Excel 97-2003) in a reader process of their own: freexl, the
// only .xls reader at hand, can crash or run away on a damaged file, and must not take the
// program with it. The reader process (quillet-xls-reader, beside the program) runs with
// bounded memory and processor time and hands the cells back as a SheetStream.
namespace XlsReader {

// What runs the reader: the program, the arguments before the file's path, and its limits.
struct Process {
    QString program;
    QStringList arguments;
    int timeoutMs = 120'000;
    qint64 memoryBytes = qint64(2) << 30;
    int cpuSeconds = 60;
};

// The reader beside the program, else the one of the build it came from.
Process defaultProcess();
// The reader used from now on; tests put a stand-in that crashes, hangs or hoards here.
void setProcess(const Process &process);

// The first worksheet, its first columnLimit columns; dates come as dates, integers as
// qint64. Throws StoreError(Worksheet::NotAWorkbook) for a damaged or foreign file and for a
// reader that crashed, ran out of time or memory, or said something it should not have;
// StoreError(Worksheet::TooLarge) for a sheet past the limits; a StoreError naming the
// reader when it cannot be started.
Worksheet readFirstSheet(const QString &path, const Worksheet::Progress &progress = {},
                         int columnLimit = Worksheet::MaxColumns);

} // namespace XlsReader
