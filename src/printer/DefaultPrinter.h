#pragma once

#include <QString>
#include <QStringList>

// The printer that printing uses when a template names none: the user's default CUPS
// destination.
namespace DefaultPrinter {

// The queues the printing system offers, by name.
QStringList installedPrinters();
// The default destination as printing finds it now; empty when there is none.
QString current();
// Makes the queue the user's default destination, as "lpoptions -d" does: every program of
// the user that asks CUPS for the default gets it from now on. Throws ReportError when
// there is no such queue or the choice cannot be stored.
void makeUserDefault(const QString &queue);

} // namespace DefaultPrinter
