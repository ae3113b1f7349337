#include "THelpForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

// The guide is compiled into this static library; a static library's resources are
// registered by hand.
static void registerHelpResources()
{
    Q_INIT_RESOURCE(help);
}

const char *const THelpForm::StartPage = "qrc:/help/index.html";

THelpForm::THelpForm(QWidget *parent) : QDialog(parent, Qt::Window)
{
    registerHelpResources();
    setObjectName(QStringLiteral("THelpForm"));
    setWindowTitle(QStringLiteral("Quillet专业版 帮助"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("txtHelp"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(QUrl(QString::fromLatin1(StartPage)));

    const auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *home = button("btnHome", QStringLiteral("目录"));
    QPushButton *back = button("btnBack", QStringLiteral("后退"));
    QPushButton *forward = button("btnForward", QStringLiteral("前进"));
    QPushButton *close = button("btnClose", QStringLiteral("关闭(&C)"));
    connect(home, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(home);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(860, 680);
}

void ShowHelp(QWidget *mainWindow)
{
    auto *help = mainWindow->findChild<THelpForm *>(QString(), Qt::FindDirectChildrenOnly);
    if (!help) {
        help = new THelpForm(mainWindow);
        help->setAttribute(Qt::WA_DeleteOnClose);
    }
    help->show();
    help->raise();
    help->activateWindow();
}
