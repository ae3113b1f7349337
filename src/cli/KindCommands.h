#pragma once

#include "CommandOptions.h"

class QTextStream;

// The commands of the command-line mode over the program's database, the same routines as
// the record window's. Each returns the exit status; errors are thrown as QuilletError.
namespace KindCommands {

// Exit status: done; nothing was in view, so nothing was output.
inline constexpr int Done = 0;
inline constexpr int NothingInView = 2;

int kinds(QTextStream &out);
// Notices that explain an exit status other than 0 go to err.
int print(const CommandOptions &options, QTextStream &out, QTextStream &err);
int importRows(const CommandOptions &options, QTextStream &out);
int exportRows(const CommandOptions &options, QTextStream &out, QTextStream &err);

} // namespace KindCommands
