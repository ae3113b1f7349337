#pragma once

#include <QString>

// What a column's declared type means to the program. Declared types keep the names the
// statements use ("Text (24)", "Long", "Number", "Time", "Currency", "yesno", "LONGBINARY").
enum class FieldType {
    Counter,
    Integer,
    Float,
    Currency,
    Text,
    Memo,
    DateTime,
    Bool,
    Binary,
    Unknown
};

struct ColumnDef {
    QString name;
    QString declaredType; // as stored, e.g. "Text (24)"
    FieldType type = FieldType::Unknown;
    int size = 0; // characters, for Text; 0 when the type has no size
    bool notNull = false;
    bool hasDefault = false;
    QString defaultText; // the default as typed, unquoted

    bool isNumeric() const
    {
        return type == FieldType::Counter || type == FieldType::Integer ||
               type == FieldType::Float || type == FieldType::Currency;
    }
    bool isTextual() const { return type == FieldType::Text || type == FieldType::Memo; }
};

// "Text (24)" gives Text with size 24; "INTEGER" on the key column gives Counter.
void classifyDeclaredType(ColumnDef &column, bool isIntegerPrimaryKey);

// The default as stored in a table definition ("'北京'", "0", "NULL") back to the text the
// user typed.
QString unquoteDefault(const QString &stored);
