#pragma once

#include <QString>

// The system-wide lock that lets one copy of the program run: an advisory lock on a file
// named after "QUILLET" in the temporary folder. The kernel drops it when the process ends,
// however it ends, so a crashed copy never blocks the next start.
class SingleInstance {
public:
    explicit SingleInstance(const QString &name = QStringLiteral("QUILLET"));
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this process now holds the lock (or already did).
    bool acquire();
    static QString lockPath(const QString &name);

private:
    QString m_path;
    int m_fd = -1;
};
