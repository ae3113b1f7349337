#include "Python.h"

#include <QProcess>
#include <QtDebug>

bool runPython(const QString &scriptFile, const QStringList &arguments, QString *output)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{scriptFile} + arguments);
    if (!python.waitForFinished(300000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0) {
        qWarning().noquote() << "python failed:" << python.errorString()
                             << QString::fromUtf8(python.readAllStandardError());
        return false;
    }
    if (output)
        *output = QString::fromUtf8(python.readAllStandardOutput());
    return true;
}
