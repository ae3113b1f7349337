#include "SingleInstance.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance(const QString &name) : m_path(lockPath(name)) {}

SingleInstance::~SingleInstance()
{
    // Held until the process ends; closing releases it.
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SingleInstance::lockPath(const QString &name)
{
    return QDir::temp().filePath(name + QStringLiteral(".lock"));
}

bool SingleInstance::acquire()
{
    if (m_fd >= 0)
        return true;
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return true; // a temporary folder we cannot write to must not stop the program
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}
