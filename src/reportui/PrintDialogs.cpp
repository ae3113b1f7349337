#include "PrintDialogs.h"

#include <QPrintDialog>
#include <QPrinter>

namespace {

PrintDialogs::Responder &responder()
{
    static PrintDialogs::Responder hook;
    return hook;
}

} // namespace

bool PrintDialogs::choose(QPrinter &printer, int pageCount, QWidget *parent)
{
    printer.setFromTo(1, pageCount);
    if (responder())
        return responder()(printer);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印"));
    dialog.setMinMax(1, pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialogs::setResponder(Responder hook)
{
    responder() = std::move(hook);
}
