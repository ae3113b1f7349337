#pragma once

#include "Worksheet.h"

// Reads legacy .xls workbooks (Excel 97-2003) through freexl in this process. freexl can
// crash on a damaged file, so only the reader process (quillet-xls-reader) calls this; the
// program itself reads .xls through XlsReader.
namespace XlsParser {

// The most a file may weigh to be handed to freexl.
constexpr qint64 MaxFileBytes = qint64(512) << 20;

// The first worksheet; dates come as dates with their time of day, integers as qint64,
// booleans as bool. Throws StoreError(Worksheet::NotAWorkbook) for a damaged or foreign file.
Worksheet readFirstSheet(const QString &path, const Worksheet::Progress &progress = {});

} // namespace XlsParser
