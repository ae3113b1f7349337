#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

class QThread;

// Runs one network job on a thread of its own, so no window waits for the network. Progress
// and the end arrive as signals on the thread that owns this object. Destroying it cancels
// a job still running and waits for its thread.
class BackgroundTransfer : public QObject {
    Q_OBJECT
public:
    using Progress = std::function<void(qint64 done, qint64 total)>;
    // Throws TransportError (or QuilletError) to fail; returns normally to succeed.
    using Job = std::function<void(const std::atomic_bool &cancel, const Progress &progress)>;

    explicit BackgroundTransfer(QObject *parent = nullptr);
    ~BackgroundTransfer() override;

    void start(Job job);
    void cancel() { m_cancel = true; }
    bool isRunning() const { return m_thread != nullptr; }

Q_SIGNALS:
    void progress(qint64 done, qint64 total);
    // ok false: message for the user, detail for the developer; cancelled when asked to stop.
    void finished(bool ok, bool cancelled, const QString &message, const QString &detail);

private:
    QThread *m_thread = nullptr;
    std::atomic_bool m_cancel{false};
    bool m_ok = false;
    bool m_cancelled = false;
    QString m_message, m_detail;
};
