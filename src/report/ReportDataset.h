#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// A named source of rows that templates read as <name."field">. The engine walks it from
// first() while !eof(), calling next(); between calls it stays on the row being output,
// so anything else looking at the underlying table sees that row. A detail dataset
// follows its master itself: its first() starts on the rows of the master's current row.
class ReportDataset {
public:
    virtual ~ReportDataset() = default;

    virtual QString name() const = 0;
    virtual QStringList fieldNames() const = 0;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // The current row's value as an engine value (an invalid QVariant for an empty field,
    // and also after the last row).
    virtual QVariant value(const QString &field) const = 0;

    // Field names compare without regard to case, as the data layer compares them.
    bool hasField(const QString &field) const
    {
        return fieldNames().contains(field, Qt::CaseInsensitive);
    }
};
