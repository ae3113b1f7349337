#include "ReportOutlets.h"

#include "report/Report.h"
#include "reportui/ReportPreviewWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The engine's preview window, its edit command reaching the record window's designer.
void enginePreview(QWidget *parent, Report &report, const ReportOutlets::PreviewHooks &hooks)
{
    ReportPreviewWindow window(report, parent);
    window.setPrintHook(hooks.printPage);
    if (hooks.editTemplate)
        window.setEditTemplate([&]() -> std::optional<QList<PreparedPage>> {
            if (!hooks.editTemplate())
                return std::nullopt;
            return report.preparedPages();
        });
    window.exec();
}

// A stand-in until the engine's designer takes over: saves the report as it stands.
void builtInDesigner(QWidget *parent, Report &report, const ReportOutlets::SaveHook &save)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("模板设计"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton *saveButton =
        buttons->addButton(QStringLiteral("保存"), QDialogButtonBox::ActionRole);
    QObject::connect(saveButton, &QPushButton::clicked, &dialog, [&] { save(report, false); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        new QLabel(QStringLiteral("模板共 %1 页。").arg(report.definition().pages.size())));
    layout->addWidget(buttons);
    dialog.exec();
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
        outlets.preview = enginePreview;
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
