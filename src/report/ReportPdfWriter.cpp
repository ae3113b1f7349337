#include "ReportPdfWriter.h"

#include "PagedOutput.h"
#include "ReportError.h"

#include <QFile>
#include <QPdfWriter>

void ReportPdfWriter::write(const QList<PreparedPage> &pages, const QString &fileName)
{
    if (pages.isEmpty())
        throw ReportError(QStringLiteral("没有可导出的页面"));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(QStringLiteral("无法写入文件 %1：%2").arg(fileName, file.errorString()));
    QPdfWriter pdf(&file);
    pdf.setResolution(1200);
    pdf.setCreator(QStringLiteral("Quillet"));
    PagedOutput::paint(pdf, int(pages.size()), [&](int i) {
        return PagedOutput::Sheet{&pages[i], {}};
    });
}
