#include "BackgroundTransfer.h"

#include "TransportError.h"

#include <QThread>

BackgroundTransfer::BackgroundTransfer(QObject *parent) : QObject(parent) {}

BackgroundTransfer::~BackgroundTransfer()
{
    if (m_thread) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

void BackgroundTransfer::start(Job job)
{
    Q_ASSERT(!m_thread);
    m_cancel = false;
    m_cancelled = false;
    m_thread = QThread::create([this, job = std::move(job)] {
        // Written here and read only after the thread has finished.
        try {
            job(m_cancel, [this](qint64 done, qint64 total) { Q_EMIT progress(done, total); });
            m_ok = true;
        } catch (const QuilletError &e) {
            m_ok = false;
            m_cancelled = dynamic_cast<const TransferCancelled *>(&e) != nullptr;
            m_message = e.message();
            m_detail = e.detail();
        }
    });
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        Q_EMIT finished(m_ok, m_cancelled, m_message, m_detail);
    });
    m_thread->start();
}
