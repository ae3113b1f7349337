#pragma once

#include <QDialog>

class QLabel;

// "关于": product, version, the maker's web site and mail address as links.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // "V" and the program's four version numbers.
    static QString versionText();
    // The new-mail address the mail label opens: the maker's address, subject "关于Quillet"
    // and the version.
    static QUrl mailUrl(const QString &address);

    QLabel *lblVersion;
    QLabel *lblWebSite;
    QLabel *lblMail;
};
