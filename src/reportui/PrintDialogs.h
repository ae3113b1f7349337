#pragma once

#include <functional>

class QPrinter;
class QWidget;

// The print dialog of the engine's windows (printer, copies, page range), behind a hook so
// that tests choose a file printer and print unattended.
namespace PrintDialogs {

// Sets up `printer` as the user chooses; false when the user cancelled.
bool choose(QPrinter &printer, int pageCount, QWidget *parent);

// Test hook: while set, no dialog is shown; the responder sets up the printer and answers.
using Responder = std::function<bool(QPrinter &printer)>;
void setResponder(Responder responder);

} // namespace PrintDialogs
