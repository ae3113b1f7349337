#pragma once

#include "Worksheet.h"

// Reads legacy .xls workbooks (Excel 97-2003) through freexl.
namespace XlsReader {

// The first worksheet; dates come as dates, integers as qint64. Throws
// StoreError(Worksheet::NotAWorkbook) for a damaged or foreign file.
Worksheet readFirstSheet(const QString &path, const Worksheet::Progress &progress = {},
                         int columnLimit = Worksheet::MaxColumns);

} // namespace XlsReader
