#pragma once

#include <QDate>
#include <QStringList>
#include <optional>

// The filter text of the record window's filter box: a keyword looked for in every text
// column, a fill-date range and the print state, in the data layer's filter vocabulary.
namespace RecordFilter {

enum class PrintState { Unprinted, Printed, Any };

struct Conditions {
    QString keyword;
    QStringList textColumns; // in column order
    std::optional<QDate> start;
    std::optional<QDate> end;
    PrintState printState = PrintState::Unprinted;
};

QString build(const Conditions &conditions);

// The start bound's date form.
inline constexpr const char *ShortDateFormat = "yyyy/M/d";

} // namespace RecordFilter
