#include "FileDialogAnswers.h"

FileDialogAnswers::FileDialogAnswers()
{
    FileDialogs::setResponder([this](const FileDialogs::Request &request) {
        m_requests << request;
        return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
    });
    FileDialogs::setOpener([this](const QString &path) {
        m_opened << path;
        return m_desktopOpens;
    });
}

FileDialogAnswers::~FileDialogAnswers()
{
    FileDialogs::setResponder({});
    FileDialogs::setOpener({});
}
