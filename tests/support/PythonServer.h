#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A server script run with the distribution's Python for the length of a test. The script
// prints the port it listens on, on 127.0.0.1, as its first line; the server is stopped when
// this object goes.
class PythonServer {
public:
    PythonServer(const QString &scriptFile, const QStringList &arguments = {});
    ~PythonServer();

    bool isListening() const { return m_port > 0; }
    int port() const { return m_port; }
    QString url(const QString &path) const;
    // Error output so far, for failure messages.
    QString errors();

private:
    QProcess m_process;
    int m_port = 0;
};
