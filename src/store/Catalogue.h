#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

// Questions the main window asks of the form-kind catalogue (noteKind).
namespace Catalogue {

// How many kinds have a code beginning with the given one (trimmed, case ignored), the kind
// itself included: more than one means it has kinds under it.
int KindsWithCodePrefix(const QSqlDatabase &db, const QString &code);

// A form kind (level 2) as the command line lists it.
struct FormKind {
    QString code;
    QString name;
    int records = 0; // rows of its main table; 0 when the table is missing
    bool hasTemplate = false;
};
// Every form kind, by code.
QList<FormKind> FormKinds(const QSqlDatabase &db);
// The name of the kind with that code (exactly); nothing when no kind has it.
std::optional<QString> KindName(const QSqlDatabase &db, const QString &code);

} // namespace Catalogue
