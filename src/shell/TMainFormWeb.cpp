// The main window's commands that reach the maker (download page, update check, support
// link, feedback) and the help dialogs.
#include "TMainForm.h"

#include "TAboutBox.h"
#include "TbrowserForm.h"
#include "TfrmMeasure.h"
#include "TipOfDay.h"
#include "UpdateOffer.h"

#include "transport/MakerEndpoints.h"

#include <QAction>
#include <QDesktopServices>
#include <QStatusBar>
#include <QUrl>

void TMainForm::connectWebAndHelpCommands()
{
    auto *update = new UpdateOffer(this);
    const auto on = [this](const char *name, const std::function<void()> &command) {
        connect(action(QString::fromUtf8(name)), &QAction::triggered, this,
                [this, command] { guarded(command); });
    };
    on("actDownTPL", [this] { openDownloadWindow(); });
    on("actCheckUpdate",
       [update] { update->start(MakerEndpoints::read().versionFileUrl, /*asked=*/true); });
    on("actQQ", [] { QDesktopServices::openUrl(QUrl(MakerEndpoints::read().supportUrl)); });
    on("actTips", [this] { ShowTipDialog(this, /*forced=*/true, m_showTip); });
    on("actAbout", [this] {
        TAboutBox box(this);
        box.exec();
    });
    on("actMeasure", [this] {
        TfrmMeasure form(this);
        form.exec();
    });
    update->start(MakerEndpoints::read().versionFileUrl, /*asked=*/false);
}

TbrowserForm *TMainForm::openDownloadWindow()
{
    // A window of its own beside the main window, not a tab; each use opens another one.
    auto *browser = new TbrowserForm(statusBar());
    browser->navigate(QUrl(MakerEndpoints::read().downloadPageUrl));
    browser->showMaximized();
    action(QStringLiteral("actClose"))->setEnabled(true);
    return browser;
}

void TMainForm::ShowTipOfDay()
{
    ShowTipDialog(this, /*forced=*/false, m_showTip);
}
