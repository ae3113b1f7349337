#include "TAboutBox.h"

#include "transport/MakerEndpoints.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

namespace {

QLabel *linkLabel(QWidget *parent, const char *name, const QString &shown, const QUrl &target)
{
    auto *label = new QLabel(
        QStringLiteral("<a href=\"%1\">%2</a>")
            .arg(QString::fromUtf8(target.toEncoded()).toHtmlEscaped(), shown.toHtmlEscaped()),
        parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    QObject::connect(label, &QLabel::linkActivated, label,
                     [target] { QDesktopServices::openUrl(target); });
    return label;
}

} // namespace

QString TAboutBox::versionText()
{
    return QStringLiteral("V") + QStringLiteral(QUILLET_VERSION);
}

QUrl TAboutBox::mailUrl(const QString &address)
{
    QUrl url(QStringLiteral("mailto:") + address);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("关于Quillet") + versionText());
    url.setQuery(query);
    return url;
}

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TAboutBox"));
    setWindowTitle(QStringLiteral("关于"));
    const MakerEndpoints maker = MakerEndpoints::read();
    auto *product = new QLabel(QStringLiteral("Quillet专业版"), this);
    product->setObjectName(QStringLiteral("lblProduct"));
    QFont large = product->font();
    large.setPointSize(large.pointSize() + 6);
    large.setBold(true);
    product->setFont(large);
    lblVersion = new QLabel(versionText(), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblWebSite = linkLabel(this, "lblWebSite", maker.webSiteUrl, QUrl(maker.webSiteUrl));
    lblMail = linkLabel(this, "lblMail", maker.mailAddress, mailUrl(maker.mailAddress));
    auto *thanks = new QLabel(QStringLiteral("感谢您支持本软件。"), this);
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    for (QWidget *w : {static_cast<QWidget *>(product), static_cast<QWidget *>(lblVersion),
                       static_cast<QWidget *>(lblWebSite), static_cast<QWidget *>(lblMail),
                       static_cast<QWidget *>(thanks)})
        layout->addWidget(w);
    layout->addWidget(ok, 0, Qt::AlignRight);
}
