#include "BackgroundTransfer.h"

#include "Curl.h"

#include "store/QuilletError.h"

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
    m_thread = QThread::create([this, job = std::move(job)] {
        // Written here and read only after the thread has finished.
        try {
            job(m_cancel, [this](qint64 done, qint64 total) { Q_EMIT progress(done, total); });
            m_ok = true;
        } catch (const QuilletError &e) {
            m_ok = false;
            m_message = e.message();
            m_detail = e.detail();
        }
    });
    connect(m_thread, &QThread::finished, this, [this] {
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
        const bool cancelled = !m_ok && m_cancel && m_message == TransferCancelledMessage;
        Q_EMIT finished(m_ok, cancelled, m_message, m_detail);
    });
    m_thread->start();
}
