#pragma once

#include "PythonServer.h"
#include "TestFiles.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

// A web server offering a new program file as "quillet" (and as "slow/quillet", sent slowly
// enough to be stopped halfway), and an old program file for the update to replace.
class UpdateServer {
public:
    // A new program that is not a run of equal bytes, large enough to take a while slowly.
    static QByteArray newProgram()
    {
        QByteArray bytes;
        for (int i = 0; i < 200000; ++i)
            bytes += char(i * 7 % 251);
        return bytes;
    }
    static QByteArray newProgramSha256()
    {
        return QCryptographicHash::hash(newProgram(), QCryptographicHash::Sha256);
    }
    static QByteArray oldProgram() { return "old program"; }

    UpdateServer()
    {
        writeFile(m_served.filePath("quillet"), newProgram());
        m_server = std::make_unique<PythonServer>(
            QFINDTESTDATA("../transport/fixtures/http_server.py"), QStringList{m_served.path()});
    }

    bool isListening() const { return m_server->isListening(); }
    QString errors() { return m_server->errors(); }
    QString url(const QString &path) const { return m_server->url(path); }
    // Puts a file where the server offers it under name.
    void serve(const QString &name, const QByteArray &content)
    {
        writeFile(m_served.filePath(name), content);
    }

    // The program file the update is to replace, as old as at the start.
    QString freshProgramFile() const
    {
        const QString path = m_program.filePath("quillet");
        writeFile(path, oldProgram());
        return path;
    }
    QString programFolder() const { return m_program.path(); }

private:
    QTemporaryDir m_served, m_program;
    std::unique_ptr<PythonServer> m_server;
};
