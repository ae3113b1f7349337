#pragma once

#include <QString>

// The maker's addresses on the web and its mail account. Each can be set in the settings
// file's [Maker] section, so a test or a mirror points the program elsewhere; the mail
// password exists only there, as the user stored it.
struct MakerEndpoints {
    QString versionFileUrl;
    QString downloadPageUrl;
    QString supportUrl;
    QString webSiteUrl;
    QString forumUrl;
    QString mailAddress;
    QString smtpServer;
    int smtpPort = 25;
    QString smtpUser;
    QString smtpPassword;
    // Certificates to trust for the mail server's STARTTLS beside the system's; empty for none.
    QString smtpCaFile;

    static MakerEndpoints read();
};
