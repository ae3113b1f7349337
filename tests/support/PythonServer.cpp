#include "PythonServer.h"

#include <QtDebug>

PythonServer::PythonServer(const QString &scriptFile, const QStringList &arguments)
{
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    QStringList{QStringLiteral("-u"), scriptFile} + arguments);
    while (m_process.waitForReadyRead(15000)) {
        if (m_process.canReadLine()) {
            m_port = m_process.readLine().trimmed().toInt();
            break;
        }
    }
    if (m_port <= 0)
        qWarning().noquote() << "server did not start:" << errors();
}

PythonServer::~PythonServer()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

QString PythonServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
}

QString PythonServer::errors()
{
    return QString::fromUtf8(m_process.readAllStandardError());
}
