#pragma once

#include <QString>
#include <QStringList>

// A real printer for tests: the CUPS queue "QuilletPDF" on the cups-pdf backend, whose
// paper is a PDF file. Printing through it runs the whole path a user's job takes (Qt's
// CUPS engine, the scheduler, its filters, the backend), and the file can be measured.
//
//     CupsPdfQueue queue;                // starts cupsd (as root) and sets the queue up
//     if (!queue.isReady())
//         QSKIP(qPrintable(queue.problem()));
//     queue.expectJob();
//     ... print to queue.name(), which is also the system's default printer ...
//     const QString pdf = queue.waitForJob(); // empty when none came in time
//
// The queue acts like an office printer: half an inch of hardware margin round the paper
// and fit-to-page on by default, so a job that does not hold on to its paper size comes out
// shrunk. Needs the packages cups and printer-driver-cups-pdf; cupsd is started when it is
// not running and this process is root. Two tests printing on it at once would take each
// other's PDFs. Widget-free.
//
// A test that needs more than one printer sets up a second queue on the same backend under
// another name; only "QuilletPDF" is made the system's default.
class CupsPdfQueue {
public:
    static constexpr const char *DefaultName = "QuilletPDF";
    explicit CupsPdfQueue(const QString &name = QString::fromLatin1(DefaultName));

    bool isReady() const { return m_problem.isEmpty(); }
    // Why the queue cannot be used, for a skip message.
    QString problem() const { return m_problem; }

    QString name() const;
    // Where cups-pdf writes this user's jobs, from its configuration.
    QString outputDirectory() const { return m_outputDirectory; }

    // Notes the PDFs written so far: call it before printing the job to wait for.
    void expectJob();
    // Waits (at most timeoutMs) until a job printed since expectJob() has left the queue
    // and its PDF is written; returns the PDF's path, or an empty string.
    QString waitForJob(int timeoutMs = 60000) const;

private:
    QString ensureScheduler();
    QString ensureQueue();
    QString actLikeAnOfficePrinter();

    QString m_name;
    QString m_problem;
    QString m_outputDirectory;
    QStringList m_earlierPdfs;
};
