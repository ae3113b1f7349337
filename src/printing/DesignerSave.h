#pragma once

#include "store/QuilletError.h"
#include "store/TemplateStore.h"

class Report;

// A save in the designer stored the template in the form kind's row, but its numbered
// history file could not be written: the database keeps the new template and count.
class HistoryFileError : public QuilletError {
public:
    using QuilletError::QuilletError;
};

// What the designer's save hook does: the engine writes the report as bytes, the bytes go
// into the kind's row (raising its save count), and the same bytes go to the history file
// <kindCode>_<count>.fr3 in notesFolder, which is created when missing; a file of that name
// is overwritten. A failed post writes no file (StoreError); a failed file write after the
// post throws HistoryFileError naming the file. Returns the path of the file written.
QString saveDesignedTemplate(TemplateStore &store, const Report &report,
                             const QString &notesFolder);
