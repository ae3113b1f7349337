#include "SampleTemplates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// The samples are compiled into this static library; its resources are registered by hand.
static void registerSampleResources()
{
    Q_INIT_RESOURCE(samples);
}

QStringList SampleTemplates::list()
{
    registerSampleResources();
    QStringList paths;
    const QDir shipped(QStringLiteral(":/samples"));
    for (const QString &name : shipped.entryList(QDir::Files, QDir::Name))
        paths << shipped.filePath(name);
    return paths;
}

QStringList SampleTemplates::install(const QString &folder)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (const QString &sample : list()) {
        const QString target = QDir(folder).filePath(QFileInfo(sample).fileName());
        if (!QFile::exists(target)) {
            if (!QFile::copy(sample, target))
                continue;
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::ReadOther);
        }
        paths << target;
    }
    return paths;
}

QString SampleTemplates::offlinePage(const QString &address, const QStringList &samplePaths)
{
    QString items;
    for (const QString &path : samplePaths)
        items += QStringLiteral("<li><b>%1</b><br><small>%2</small></li>")
                     .arg(QFileInfo(path).completeBaseName().toHtmlEscaped(),
                          QDir::toNativeSeparators(path).toHtmlEscaped());
    if (items.isEmpty())
        items = QStringLiteral("<li>（没有找到随程序提供的模板）</li>");
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>单据模板下载</title>"
               "</head><body style=\"font-family: sans-serif; margin: 2em\">"
               "<h2>无法打开单据模板下载页面</h2>"
               "<p>无法连接到 %1，请检查网络连接后再试。</p>"
               "<p>您也可以从随程序提供的示例模板开始设计。它们已放在下面的位置，"
               "在设计窗口中用“打开”即可找到：</p><ul>%2</ul></body></html>")
        .arg(address.toHtmlEscaped(), items);
}
