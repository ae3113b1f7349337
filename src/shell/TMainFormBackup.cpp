// 数据备份 and 数据还原: the database and the template files copied to and from a folder.
#include "TMainForm.h"

#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"

#include "store/DataSet.h"
#include "store/Database.h"
#include "store/DatabaseFile.h"
#include "store/FolderCopy.h"
#include "store/ProgramFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>

namespace {

const QString DatabaseName = QStringLiteral("notedb.db");
const QString NotesName = QStringLiteral("Notes");

// The folder picked for the command; empty when cancelled or refused with a message.
QString pickFolder(QWidget *parent, const QString &caption, bool canCreateFolders)
{
    const QString folder = FileDialogs::getExistingDirectory(parent, caption, canCreateFolders);
    if (folder.isEmpty())
        return {};
    if (QDir(folder).isRoot()) {
        Messages::information(parent, QStringLiteral("请选择一个文件夹！"));
        return {};
    }
    // The program's own folder would be copied onto itself, under the open database.
    if (QDir(folder).canonicalPath() == QDir(ProgramFolder::path()).canonicalPath()) {
        Messages::information(
            parent, QStringLiteral("所选文件夹就是本程序的数据文件夹，请另选一个文件夹！"));
        return {};
    }
    return folder;
}

QString templateLine(const FolderCopy::Counts &notes, const QString &keptReason)
{
    QString line = QStringLiteral("模板文件：复制了%1个").arg(notes.copied);
    if (notes.kept > 0)
        line += QStringLiteral("，%1个因%2已有同名文件而没有复制").arg(notes.kept).arg(keptReason);
    if (notes.failed > 0)
        line += QStringLiteral("，%1个无法复制").arg(notes.failed);
    return line + QStringLiteral("。");
}

} // namespace

void TMainForm::backupData()
{
    closeActiveTab();
    const QString folder = pickFolder(this, QStringLiteral("请选择备份目的文件夹"), true);
    if (folder.isEmpty())
        return;
    const QDir target(folder);
    const QString databaseCopy = target.filePath(DatabaseName);
    const bool replace =
        !QFileInfo::exists(databaseCopy) ||
        Messages::askYesNo(
            this, QStringLiteral("所选文件夹中已经有数据库文件%1。\n要用现在的数据替换它吗？")
                      .arg(DatabaseName));
    if (replace)
        DatabaseFile::BackupTo(Database::connect(ProgramFolder::databasePath()), databaseCopy);
    const FolderCopy::Counts notes =
        FolderCopy::CopyNewFiles(ProgramFolder::notesFolder(), target.filePath(NotesName));
    const QString notesLine = templateLine(notes, QStringLiteral("备份文件夹中"));
    if (replace)
        Messages::information(this, QStringLiteral("备份成功！\n数据库已备份到%1。\n%2")
                                        .arg(QDir::toNativeSeparators(databaseCopy), notesLine));
    else
        Messages::information(this,
                              QStringLiteral("数据库没有备份：所选文件夹中原有的%1保持不变。\n%2")
                                  .arg(DatabaseName, notesLine));
}

void TMainForm::restoreData()
{
    const QString folder = pickFolder(this, QStringLiteral("请选择备份源文件夹"), false);
    if (folder.isEmpty())
        return;
    const QDir source(folder);
    if (!source.exists(DatabaseName)) {
        Messages::information(this, QStringLiteral("所选文件夹不存在数据库文件！"));
        return;
    }
    DatabaseFile::CheckIsProgramDatabase(source.filePath(DatabaseName));
    // The open windows show rows of the database being replaced.
    if (!closeAllTabs())
        return;
    m_tblNote->close();
    Database::connection().close();
    QString kept;
    try {
        kept =
            DatabaseFile::ReplaceWith(ProgramFolder::databasePath(), source.filePath(DatabaseName),
                                      QDateTime::currentDateTime());
    } catch (...) {
        refreshTree();
        throw;
    }
    refreshTree();
    const FolderCopy::Counts notes =
        FolderCopy::CopyNewFiles(source.filePath(NotesName), ProgramFolder::notesFolder());
    Messages::information(this, QStringLiteral("恢复成功！\n原来的数据库已保存为%1。\n%2")
                                    .arg(QDir::toNativeSeparators(kept),
                                         templateLine(notes, QStringLiteral("本机"))));
}

bool TMainForm::closeAllTabs()
{
    while (m_tabs->count() > 0) {
        const int before = m_tabs->count();
        CloseTab(before - 1);
        if (m_tabs->count() == before)
            return false; // the window kept its rows and said why
    }
    showTabArea(false);
    return true;
}
