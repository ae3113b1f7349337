#include "DesignerSave.h"

#include "report/Report.h"

#include <QDir>
#include <QSaveFile>

QString saveDesignedTemplate(TemplateStore &store, const Report &report, const QString &notesFolder)
{
    const QByteArray bytes = report.saveToBytes();
    const TemplateStore::Saved saved = store.save(bytes);
    const QDir folder(notesFolder);
    const QString path =
        folder.filePath(QStringLiteral("%1_%2.fr3").arg(saved.kindCode).arg(saved.modqty));
    const auto failed = [&](const QString &reason) {
        return HistoryFileError(QStringLiteral("模板已保存到数据库，但无法写入模板历史文件“%1”：%2")
                                    .arg(QDir::toNativeSeparators(path), reason),
                                reason);
    };
    if (!folder.mkpath(QStringLiteral(".")))
        throw failed(QStringLiteral("无法创建文件夹"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw failed(file.errorString());
    return path;
}
