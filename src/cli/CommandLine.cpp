#include "CommandLine.h"

#include "CommandOptions.h"
#include "KindCommands.h"

#include "store/Database.h"
#include "store/ProgramFolder.h"
#include "store/QuilletError.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTextStream>
#include <cstdio>
#include <memory>

namespace {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Printing draws pages (fonts, pictures, the printer's device), which needs the GUI
// application; the offscreen platform draws without a display, so no X server is needed.
// Everything else runs on the plain core application.
std::unique_ptr<QCoreApplication> application(CommandOptions::Command command, int &argc,
                                              char **argv)
{
    if (command != CommandOptions::Command::Print)
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int runCommand(const CommandOptions &options, QTextStream &out, QTextStream &err)
{
    if (options.command == CommandOptions::Command::Help) {
        out << commandLineHelp();
        return KindCommands::Done;
    }
    ProgramFolder::set(options.folder.isEmpty() ? QCoreApplication::applicationDirPath()
                                                : options.folder);
    Database::connect(ProgramFolder::databasePath());
    switch (options.command) {
    case CommandOptions::Command::Kinds:
        return KindCommands::kinds(out);
    case CommandOptions::Command::Print:
        return KindCommands::print(options, out, err);
    case CommandOptions::Command::Import:
        return KindCommands::importRows(options, out);
    case CommandOptions::Command::Export:
        return KindCommands::exportRows(options, out, err);
    case CommandOptions::Command::Help:
        break;
    }
    return KindCommands::Done;
}

// Qt's own notes (a missing runtime folder, fonts...) are for developers and in English;
// a script's standard error holds the program's messages only.
void quietQt(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        std::fputs(qPrintable(message + u'\n'), stderr);
}

} // namespace

bool CommandLine::wanted(int argc, char **argv)
{
    return isCommandLine(argumentsOf(argc, argv));
}

int CommandLine::run(int argc, char **argv)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    qInstallMessageHandler(quietQt);
    CommandOptions options;
    try {
        options = CommandOptions::parse(argumentsOf(argc, argv));
    } catch (const QuilletError &e) {
        err << e.message() << Qt::endl;
        return 1;
    }
    const auto app = application(options.command, argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quillet"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    int status = 1;
    try {
        status = runCommand(options, out, err);
    } catch (const QuilletError &e) {
        out.flush();
        err << e.message() << Qt::endl;
    }
    Database::disconnect();
    return status;
}
