#pragma once

#include <QSqlDatabase>
#include <QString>

// Questions the main window asks of the form-kind catalogue (noteKind).
namespace Catalogue {

// How many kinds have a code beginning with the given one (trimmed, case ignored), the kind
// itself included: more than one means it has kinds under it.
int KindsWithCodePrefix(const QSqlDatabase &db, const QString &code);

} // namespace Catalogue
