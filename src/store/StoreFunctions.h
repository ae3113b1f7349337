#pragma once

#include <QSqlDatabase>

// Three functions that statements over a table call where plain SQL cannot judge a stored
// value the way the program reads it:
//   quillet_fold(v)  the value read as text, case-folded (so that like ignores case in every
//                    script, not only in ASCII);
//   quillet_when(v)  the value read as a date, as text in DateOrder, whose order is the
//                    order in time; null when it reads as no date;
//   quillet_money(v) the value read as money, as its whole count of ten-thousandths; null
//                    when it reads as no amount.
// Each gives exactly what the program makes of the same stored value, so a condition or a
// sum the database works out equals the one worked out over rows read into memory.
namespace StoreFunctions {

inline constexpr const char *DateOrder = "yyyy-MM-dd HH:mm:ss.zzz";

// Makes the functions known to the connection. On SQLite they are registered through the
// driver's native handle; a server database defines them once in its schema instead. False
// when the connection is not one this build can register them on.
bool install(const QSqlDatabase &db);

} // namespace StoreFunctions
