#pragma once

#include <QStringList>

// The program's command-line mode: print, import and export a form kind's records and list
// the kinds, without a window.
namespace CommandLine {

// The arguments (after the program's name) ask for this mode.
bool wanted(int argc, char **argv);
// Runs the command the arguments ask for; the process's exit status. Creates the
// application object itself: a plain one, or, for printing, one drawing without a screen.
int run(int argc, char **argv);

} // namespace CommandLine
