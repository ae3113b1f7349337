// The small commands of the main window: the default printer, the background picture,
// the desktop's calculator and text editor, and the help.
#include "TMainForm.h"

#include "DesktopPrograms.h"
#include "THelpForm.h"
#include "TPrinterDlg.h"
#include "widgets/FileDialogs.h"
#include "widgets/Messages.h"

#include "store/IniFile.h"
#include "store/ProgramFolder.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QProcess>
#include <QUrl>

namespace {

const QString OptionSection = QStringLiteral("Option");
// The maker's web site: a setting, so that a reseller can point it at its own.
const QString WebSiteKey = QStringLiteral("WebSite");
const QString DefaultWebSite = QStringLiteral("https://quillet.example.com/");

QString pictureFilter()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    return QStringLiteral("图片文件 (%1);;所有文件 (*)").arg(patterns.join(u' '));
}

} // namespace

void TMainForm::bindUtilityCommands()
{
    const struct {
        const char *action;
        void (TMainForm::*handler)();
    } commands[] = {
        {"actSaveAs", &TMainForm::saveKindAs},
        {"actBackup", &TMainForm::backupData},
        {"actRestore", &TMainForm::restoreData},
        {"actSetPrinter", &TMainForm::setPrinter},
        {"actBgPic", &TMainForm::setBackgroundPicture},
        {"actBgStretch", &TMainForm::toggleBackgroundStretch},
        {"actCalc", &TMainForm::startCalculator},
        {"actNotepad", &TMainForm::startNotepad},
        {"actHelp", &TMainForm::showHelp},
    };
    for (const auto &c : commands)
        bindCommand(QString::fromLatin1(c.action), c.handler);
}

void TMainForm::setPrinter()
{
    ShowPrinterDialog(this);
}

void TMainForm::setBackgroundPicture()
{
    const QString path =
        FileDialogs::getOpenFileName(this, QStringLiteral("选择背景图片"), pictureFilter());
    if (path.isEmpty())
        return;
    IniFile ini(ProgramFolder::settingsPath());
    if (!ini.writeString(OptionSection, QStringLiteral("BgPic"), path))
        Messages::settingsNotSaved(this, ini.path(), ini.errorString());
    const QPixmap picture(path);
    if (picture.isNull()) {
        Messages::error(this,
                        QStringLiteral("无法打开图片文件%1：不是能识别的图片格式，或文件已损坏。")
                            .arg(QDir::toNativeSeparators(path)));
        return;
    }
    m_background->setPixmap(picture);
}

void TMainForm::toggleBackgroundStretch()
{
    const bool stretch = m_actions.value(QStringLiteral("actBgStretch"))->isChecked();
    IniFile ini(ProgramFolder::settingsPath());
    if (!ini.writeBool(OptionSection, QStringLiteral("BgStretch"), stretch))
        Messages::settingsNotSaved(this, ini.path(), ini.errorString());
    m_background->setScaledContents(stretch);
}

void TMainForm::openMakerSite()
{
    const IniFile ini(ProgramFolder::settingsPath());
    QDesktopServices::openUrl(QUrl(ini.readString(OptionSection, WebSiteKey, DefaultWebSite)));
}

void TMainForm::startDesktopProgram(const QStringList &names, const QString &what)
{
    const QString program = DesktopPrograms::findFirst(names);
    if (!program.isEmpty() && QProcess::startDetached(program, {}))
        return;
    Messages::information(this, QStringLiteral("没有找到可以启动的%1程序。\n请安装以下程序之一：%2")
                                    .arg(what, names.join(QStringLiteral("、"))));
}

void TMainForm::startCalculator()
{
    startDesktopProgram(DesktopPrograms::Calculators(), QStringLiteral("计算器"));
}

void TMainForm::startNotepad()
{
    startDesktopProgram(DesktopPrograms::TextEditors(), QStringLiteral("文本编辑器"));
}

void TMainForm::showHelp()
{
    ShowHelp(this);
}
