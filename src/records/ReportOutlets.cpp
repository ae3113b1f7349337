#include "ReportOutlets.h"

#include "report/Report.h"
#include "report/ReportError.h"
#include "report/ReportRenderer.h"
#include "reportui/ReportDesignerWindow.h"
#include "widgets/Messages.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// A plain preview until the engine's preview window takes over: the pages one under the
// other, and a print button.
void builtInPreview(QWidget *parent, Report &report, const ReportOutlets::PrintPrepared &print)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("预览"));
    auto *pages = new QWidget;
    auto *column = new QVBoxLayout(pages);
    ReportRenderer renderer;
    for (const PreparedPage &page : report.preparedPages()) {
        auto *picture = new QLabel;
        picture->setPixmap(QPixmap::fromImage(renderer.renderImage(page, 96)));
        column->addWidget(picture);
    }
    auto *scroll = new QScrollArea;
    scroll->setWidget(pages);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton *printButton =
        buttons->addButton(QStringLiteral("打印"), QDialogButtonBox::ActionRole);
    QObject::connect(printButton, &QPushButton::clicked, &dialog, [&print] { print(1); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);
    dialog.resize(900, 700);
    dialog.exec();
}

// The designer's preview prepares the template as designed over the window's records and
// prints from the preview as the record window's preview does: no scanned form on paper.
void previewFromDesigner(QWidget *parent, Report &report)
{
    report.prepare();
    ReportOutlets::current().preview(parent, report, [parent, &report](int copies) {
        try {
            ReportOutlets::current().printer(
                report.preparedPages(),
                {report.definition().printerName, copies,
                 [](ReportPage &page, int) { page.background = QByteArray(); }});
        } catch (const ReportError &e) {
            Messages::error(parent, e.message());
        }
    });
}

void builtInDesigner(QWidget *parent, Report &report, const ReportOutlets::SaveHook &save)
{
    ReportDesignerWindow window(report, save, previewFromDesigner, parent);
    window.exec();
}

ReportOutlets &installed()
{
    static ReportOutlets outlets;
    return outlets;
}

} // namespace

ReportOutlets ReportOutlets::current()
{
    ReportOutlets outlets = installed();
    if (!outlets.preview)
        outlets.preview = builtInPreview;
    if (!outlets.designer)
        outlets.designer = builtInDesigner;
    if (!outlets.printer)
        outlets.printer = [](const QList<PreparedPage> &pages, const ReportPrinter::Job &job) {
            ReportPrinter::print(pages, job);
        };
    return outlets;
}

void ReportOutlets::install(ReportOutlets outlets)
{
    installed() = std::move(outlets);
}
