#include "CupsPdfQueue.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QThread>
#include <unistd.h>

namespace {

struct Run {
    bool ok = false;
    QString output;
};

Run run(const QString &program, const QStringList &arguments, int timeoutMs = 30000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {false, QStringLiteral("%1 did not finish").arg(program)};
    }
    const QString output = QString::fromLocal8Bit(process.readAll());
    return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, output};
}

bool schedulerRuns()
{
    return run(QStringLiteral("lpstat"), {QStringLiteral("-r")})
        .output.contains(QStringLiteral("scheduler is running"));
}

// cups-pdf's "Out" setting with ${HOME} and ${USER} filled in for this user, who submits
// the jobs; its default when the line is absent.
QString cupsPdfOutputDirectory()
{
    QString out = QStringLiteral("/var/spool/cups-pdf/${USER}");
    QFile config(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (config.open(QIODevice::ReadOnly)) {
        static const QRegularExpression outLine(QStringLiteral(R"(^\s*Out\s+(\S.*?)\s*$)"));
        for (const QByteArray &line : config.readAll().split('\n')) {
            const auto match = outLine.match(QString::fromLocal8Bit(line));
            if (match.hasMatch())
                out = match.captured(1);
        }
    }
    const QString user =
        qEnvironmentVariable("USER", geteuid() == 0 ? QStringLiteral("root") : QString());
    return out.replace(QStringLiteral("${HOME}"), QDir::homePath())
        .replace(QStringLiteral("${USER}"), user);
}

} // namespace

CupsPdfQueue::CupsPdfQueue(const QString &name) : m_name(name)
{
    if (QStandardPaths::findExecutable(QStringLiteral("lpadmin")).isEmpty() ||
        !QFile::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf"))) {
        m_problem = QStringLiteral("CUPS with cups-pdf is not installed "
                                   "(packages cups, printer-driver-cups-pdf)");
        return;
    }
    m_problem = ensureScheduler();
    if (m_problem.isEmpty())
        m_problem = ensureQueue();
    m_outputDirectory = cupsPdfOutputDirectory();
}

QString CupsPdfQueue::name() const
{
    return m_name;
}

QString CupsPdfQueue::ensureScheduler()
{
    if (schedulerRuns())
        return {};
    if (geteuid() != 0)
        return QStringLiteral("cupsd is not running, and only root may start it");
    // cupsd forks into the background once it listens; it keeps running for later tests.
    const Run started = run(QStringLiteral("/usr/sbin/cupsd"), {});
    if (!started.ok)
        return QStringLiteral("cupsd could not start: %1").arg(started.output.trimmed());
    const QDeadlineTimer deadline(15000);
    while (!schedulerRuns()) {
        if (deadline.hasExpired())
            return QStringLiteral("cupsd started but does not answer");
        QThread::msleep(200);
    }
    return {};
}

// The queue's PPD with half an inch of hardware margin round every paper, and fit-to-page
// on by default: a job that does not hold on to its paper comes out shrunk, as on many
// office printers.
QString CupsPdfQueue::actLikeAnOfficePrinter()
{
    const QString installed = QStringLiteral("/etc/cups/ppd/%1.ppd").arg(m_name);
    QFile file(installed);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read the queue's PPD %1").arg(installed);
    const QString ppd = QString::fromLatin1(file.readAll());
    const QString margins = QStringLiteral("*HWMargins: 36 36 36 36");
    if (!ppd.contains(margins)) {
        QString changed = ppd;
        changed.replace(QRegularExpression(QStringLiteral(R"(^\*HWMargins:.*$)"),
                                           QRegularExpression::MultilineOption),
                        margins);
        static const QRegularExpression area(
            QStringLiteral(R"re(^(\*ImageableArea [^:]+: )"0 0 ([\d.]+) ([\d.]+)"$)re"),
            QRegularExpression::MultilineOption);
        for (auto it = area.globalMatch(ppd); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            changed.replace(m.captured(0), QStringLiteral(R"re(%1"36 36 %2 %3")re")
                                               .arg(m.captured(1))
                                               .arg(m.captured(2).toDouble() - 36)
                                               .arg(m.captured(3).toDouble() - 36));
        }
        QTemporaryFile modified;
        if (!modified.open() || modified.write(changed.toLatin1()) < 0 || !modified.flush())
            return QStringLiteral("cannot write the changed PPD");
        const Run set = run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), m_name,
                                                        QStringLiteral("-P"), modified.fileName()});
        if (!set.ok)
            return QStringLiteral("lpadmin could not give the queue margins: %1").arg(set.output);
    }
    const Run fitting =
        run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), m_name, QStringLiteral("-o"),
                                        QStringLiteral("fit-to-page-default=true")});
    if (!fitting.ok)
        return QStringLiteral("lpadmin could not set fit-to-page: %1").arg(fitting.output);
    return {};
}

QString CupsPdfQueue::ensureQueue()
{
    if (!run(QStringLiteral("lpstat"), {QStringLiteral("-p"), m_name}).ok) {
        // The model's name depends on the cups-pdf version: take the one the scheduler lists.
        const QStringList models =
            run(QStringLiteral("lpinfo"), {QStringLiteral("-m")}).output.split(u'\n');
        QString model;
        for (const QString &line : models)
            if (line.contains(QStringLiteral("CUPS-PDF"), Qt::CaseInsensitive) &&
                (model.isEmpty() || line.contains(QStringLiteral("_opt"))))
                model = line.section(u' ', 0, 0);
        if (model.isEmpty())
            return QStringLiteral("CUPS offers no cups-pdf model (lpinfo -m)");
        const Run added =
            run(QStringLiteral("lpadmin"),
                {QStringLiteral("-p"), m_name, QStringLiteral("-E"), QStringLiteral("-v"),
                 QStringLiteral("cups-pdf:/"), QStringLiteral("-m"), model});
        if (!added.ok)
            return QStringLiteral("lpadmin could not add the queue: %1").arg(added.output);
    }
    const QString problem = actLikeAnOfficePrinter();
    if (!problem.isEmpty())
        return problem;
    // Enabled and accepting even if an earlier run left it stopped by a failed job.
    run(QStringLiteral("cupsenable"), {m_name});
    run(QStringLiteral("cupsaccept"), {m_name});
    if (m_name != QLatin1String(DefaultName))
        return {};
    const Run defaulted = run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), m_name});
    if (!defaulted.ok)
        return QStringLiteral("lpadmin could not make the queue the default: %1")
            .arg(defaulted.output);
    return {};
}

void CupsPdfQueue::expectJob()
{
    m_earlierPdfs = QDir(m_outputDirectory).entryList({QStringLiteral("*.pdf")}, QDir::Files);
}

QString CupsPdfQueue::waitForJob(int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    const QDir out(m_outputDirectory);
    do {
        // The backend writes the file before the job completes: a job that has left the
        // queue has its file closed.
        if (run(QStringLiteral("lpstat"), {QStringLiteral("-o"), m_name}).output.isEmpty()) {
            for (const QString &name :
                 out.entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time))
                if (!m_earlierPdfs.contains(name))
                    return out.filePath(name);
        }
        QThread::msleep(250);
    } while (!deadline.hasExpired());
    return {};
}
