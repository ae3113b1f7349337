#include "MakerEndpoints.h"

#include "store/IniFile.h"
#include "store/ProgramFolder.h"

MakerEndpoints MakerEndpoints::read()
{
    const IniFile ini(ProgramFolder::settingsPath());
    const QString section = QStringLiteral("Maker");
    const auto text = [&](const char *key, const char *defaultValue) {
        return ini.readString(section, QString::fromUtf8(key), QString::fromUtf8(defaultValue));
    };
    MakerEndpoints e;
    e.versionFileUrl = text("VersionFile", "https://www.quillet.example/update/qlver.inf");
    e.downloadPageUrl = text("DownloadPage", "https://www.quillet.example/templates/");
    e.supportUrl = text("Support", "https://www.quillet.example/support/");
    e.webSiteUrl = text("WebSite", "https://www.quillet.example/");
    e.forumUrl = text("Forum", "https://www.quillet.example/forum/");
    e.mailAddress = text("MailAddress", "feedback@quillet.example");
    e.smtpServer = text("SmtpServer", "mail.quillet.example");
    e.smtpPort = ini.readInteger(section, QStringLiteral("SmtpPort"), 25);
    e.smtpUser = text("SmtpUser", "feedback@quillet.example");
    e.smtpPassword = text("SmtpPassword", "");
    e.smtpCaFile = text("SmtpCaFile", "");
    return e;
}
