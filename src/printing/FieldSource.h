#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

// What FieldIsNull and ShowRichText need of a report dataset: its table, positioned on the
// row being output. The data layer's tables implement it (or are wrapped by it); the
// report functions read through it and never move or change the table.
class FieldSource {
public:
    virtual ~FieldSource() = default;
    // False for a table that is not open (frxDBDsSub of a form kind without detail table).
    virtual bool isOpen() const = 0;
    // Field names are compared ignoring case, as the data layer compares them.
    virtual bool hasField(const QString &fieldName) const = 0;
    // The field's value in the current row: an invalid or null QVariant for a database
    // NULL (an empty text is a value, not null). Called only when hasField() is true.
    virtual QVariant currentValue(const QString &fieldName) const = 0;
};

// Finds a report dataset by its name ("frxDBDsNote", "frxDBDsSub"), ignoring the case of
// ASCII letters; nullptr when there is none. The pointer is used for the one call only.
using DatasetLookup = std::function<const FieldSource *(const QString &datasetName)>;

// The named datasets of one record window, for building a DatasetLookup. Does not own
// the sources; whoever adds one removes it before destroying it.
class DatasetDirectory {
public:
    void add(const QString &name, const FieldSource *source);
    void remove(const QString &name);
    const FieldSource *find(const QString &name) const;
    // A lookup reading this directory; valid while the directory lives.
    DatasetLookup lookup() const;

private:
    QHash<QString, const FieldSource *> m_sources; // keyed by the ASCII-lower-case name
};

// Names of functions and datasets are compared ignoring the case of ASCII letters only, as
// the script language does (no Unicode case folding: "ſ" is not "s").
namespace AsciiCase {
bool equal(QStringView a, QStringView b);
QString lower(QStringView text);
} // namespace AsciiCase
