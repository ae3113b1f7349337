#include "XlsReader.h"

#include "SheetStream.h"
#include "StoreError.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString ReaderName = QStringLiteral("quillet-xls-reader");

XlsReader::Process &current()
{
    static XlsReader::Process process = XlsReader::defaultProcess();
    return process;
}

[[noreturn]] void refuse()
{
    throw StoreError(Worksheet::NotAWorkbook);
}

} // namespace

XlsReader::Process XlsReader::defaultProcess()
{
    Process process;
    if (QCoreApplication::instance()) {
        const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(ReaderName);
        if (QFileInfo(beside).isExecutable())
            process.program = beside;
    }
    if (process.program.isEmpty())
        process.program = QStringLiteral(QUILLET_XLS_READER);
    return process;
}

void XlsReader::setProcess(const Process &process)
{
    current() = process;
}

// AddressSanitizer reserves terabytes of address space for its shadow memory, so a reader
// built with it cannot start under an address-space limit; the time limit still holds.
#if defined(__SANITIZE_ADDRESS__)
static constexpr bool limitsAddressSpace = false;
#else
static constexpr bool limitsAddressSpace = true;
#endif

Worksheet XlsReader::readFirstSheet(const QString &path, const Worksheet::Progress &progress,
                                    int columnLimit)
{
    const Process settings = current();
    QProcess reader;
    reader.setStandardInputFile(QProcess::nullDevice());
    reader.setStandardErrorFile(QProcess::nullDevice());
    // Set between fork and exec, so the limits hold whatever the reader program is.
    const rlimit memory{rlim_t(settings.memoryBytes), rlim_t(settings.memoryBytes)};
    const rlimit cpu{rlim_t(settings.cpuSeconds), rlim_t(settings.cpuSeconds)};
    reader.setChildProcessModifier([memory, cpu] {
        if (limitsAddressSpace && setrlimit(RLIMIT_AS, &memory) != 0)
            _exit(127);
        if (setrlimit(RLIMIT_CPU, &cpu) != 0)
            _exit(127);
    });
    const auto stopped = qScopeGuard([&reader] {
        if (reader.state() != QProcess::NotRunning) {
            reader.kill();
            reader.waitForFinished(-1);
        }
    });

    QElapsedTimer clock;
    clock.start();
    reader.start(settings.program, QStringList(settings.arguments) << path);
    if (!reader.waitForStarted(settings.timeoutMs))
        throw StoreError(QStringLiteral("无法启动读取.xls文件的程序“%1”，请重新安装本程序。")
                             .arg(QDir::toNativeSeparators(settings.program)),
                         reader.errorString());
    SheetStream::Reader stream(columnLimit, progress);
    while (reader.state() == QProcess::Running || reader.bytesAvailable() > 0) {
        const qint64 left = settings.timeoutMs - clock.elapsed();
        if (left <= 0)
            refuse();
        // A reader that closed its output but goes on is waited for, not polled.
        const int wait = int(qMin<qint64>(left, 100));
        if (reader.bytesAvailable() == 0 && !reader.waitForReadyRead(wait))
            reader.waitForFinished(wait);
        stream.feed(reader.readAllStandardOutput());
    }
    if (reader.exitStatus() != QProcess::NormalExit || reader.exitCode() != 0)
        refuse();
    return stream.finish();
}
