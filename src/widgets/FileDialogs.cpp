#include "FileDialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace FileDialogs {

namespace {

Responder &responder()
{
    static Responder instance;
    return instance;
}

Opener &opener()
{
    static Opener instance;
    return instance;
}

} // namespace

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter,
                        const QString &directory)
{
    if (responder())
        return responder()(Request{Kind::Open, caption, filter, directory});
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &filter,
                        const QString &directory)
{
    if (responder())
        return responder()(Request{Kind::Save, caption, filter, directory});
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}

QString getExistingDirectory(QWidget *parent, const QString &caption, bool canCreateFolders)
{
    if (responder())
        return responder()(Request{Kind::Folder, caption, QString(), QString(), canCreateFolders});
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    // A read-only dialog offers no new folder.
    if (!canCreateFolders)
        options |= QFileDialog::ReadOnly;
    return QFileDialog::getExistingDirectory(parent, caption, QString(), options);
}

bool openWithDesktop(const QString &path)
{
    if (opener())
        return opener()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void setResponder(Responder r)
{
    responder() = std::move(r);
}

void setOpener(Opener o)
{
    opener() = std::move(o);
}

} // namespace FileDialogs
