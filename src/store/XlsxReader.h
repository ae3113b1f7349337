#pragma once

#include "Worksheet.h"

// Reads .xlsx workbooks (Office Open XML): the parts are unzipped with minizip and parsed as
// they stream out, so a large sheet is never held as text.
namespace XlsxReader {

// The first worksheet: shared and inline strings, numbers, booleans, error values as their
// text, formulas by their cached values, numbers whose format shows a date as dates, and
// whole numbers whose format pads them with zeros ("00000") as the padded code.
// Cells right of columnLimit are skipped. Throws StoreError(Worksheet::NotAWorkbook) for a
// damaged or foreign file, StoreError(Worksheet::TooLarge) for one past the limits.
// Given taken, the rows go to it a run at a time as they are read, and the sheet returned
// holds none.
Worksheet readFirstSheet(const QString &path, const Worksheet::Progress &progress = {},
                         int columnLimit = Worksheet::MaxColumns,
                         const Worksheet::RunTaken &taken = {});

} // namespace XlsxReader
