#include "StoreFunctions.h"

#include "ColumnDef.h"
#include "Currency.h"
#include "FieldValue.h"
#include "SqlHelpers.h"

#include <sqlite3.h>

namespace {

// The value as the SQLite driver of Qt hands it to the program, so that reading it further
// goes through the very code the rows read into memory go through.
QVariant asDriverReadsIt(sqlite3_value *value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_value_double(value));
    case SQLITE_TEXT: {
        const auto *text = static_cast<const char16_t *>(sqlite3_value_text16(value));
        return QVariant(QString::fromUtf16(text, sqlite3_value_bytes16(value) / 2));
    }
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_value_blob(value));
        return QVariant(QByteArray(bytes, sqlite3_value_bytes(value)));
    }
    default:
        return QVariant();
    }
}

void resultText(sqlite3_context *context, const QString &text)
{
    sqlite3_result_text16(context, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
}

void fold(sqlite3_context *context, int, sqlite3_value **argv)
{
    const QVariant value = FieldValue::fromStorage(asDriverReadsIt(argv[0]), FieldType::Text);
    if (value.isNull())
        sqlite3_result_null(context);
    else
        resultText(context, value.toString().toCaseFolded());
}

void when(sqlite3_context *context, int, sqlite3_value **argv)
{
    const QVariant value = FieldValue::fromStorage(asDriverReadsIt(argv[0]), FieldType::DateTime);
    if (value.isNull())
        sqlite3_result_null(context);
    else
        resultText(context, value.toDateTime().toString(QLatin1String(StoreFunctions::DateOrder)));
}

void money(sqlite3_context *context, int, sqlite3_value **argv)
{
    const QVariant value = FieldValue::fromStorage(asDriverReadsIt(argv[0]), FieldType::Currency);
    if (value.isNull())
        sqlite3_result_null(context);
    else
        sqlite3_result_int64(context, value.value<Currency>().units());
}

} // namespace

namespace StoreFunctions {

bool install(const QSqlDatabase &db)
{
    sqlite3 *connection = SqliteHandle(db);
    if (!connection)
        return false;
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    using Function = void (*)(sqlite3_context *, int, sqlite3_value **);
    for (const auto &[name, function] : {std::pair<const char *, Function>{"quillet_fold", fold},
                                         {"quillet_when", when},
                                         {"quillet_money", money}})
        if (sqlite3_create_function_v2(connection, name, 1, flags, nullptr, function, nullptr,
                                       nullptr, nullptr) != SQLITE_OK)
            return false;
    return true;
}

} // namespace StoreFunctions
