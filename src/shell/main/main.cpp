#include "cli/CommandLine.h"
#include "shell/QuilletApplication.h"
#include "shell/SingleInstance.h"
#include "shell/TMainForm.h"
#include "store/Database.h"
#include "store/ProgramFolder.h"
#include "store/StoreError.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QFile>
#include <QScreen>

int main(int argc, char *argv[])
{
    // Print, import and export from a script: no window, and no single-instance rule.
    if (CommandLine::wanted(argc, argv))
        return CommandLine::run(argc, argv);
    // 1. One copy at a time: a second one ends here, silently.
    SingleInstance lock;
    if (!lock.acquire())
        return 0;
    // 2. Nothing here writes RunMe.bat; whatever left it in the working folder, it goes.
    if (QFile::exists(QStringLiteral("RunMe.bat")))
        QFile::remove(QStringLiteral("RunMe.bat"));
    // 3. The application and its title; Qt's own buttons and dialogs in Chinese. The web view
    // of the download window needs its contexts shared before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QuilletApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillet专业版"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION));
    // 4. The program folder.
    ProgramFolder::set(QCoreApplication::applicationDirPath());
    try {
        Database::createDemoIfFirstStart(ProgramFolder::path());
    } catch (const QuilletError &e) {
        Messages::error(nullptr, e.message());
    }
    // 5. The main window, opened maximised.
    TMainForm mainForm;
    // Without a window manager "maximised" means nothing; the screen's size serves instead.
    mainForm.resize(mainForm.screen()->availableSize());
    mainForm.showMaximized();
    // 6. Run until the main window closes.
    return app.exec();
}
