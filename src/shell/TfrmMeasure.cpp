#include "TfrmMeasure.h"

#include "store/IniFile.h"
#include "store/ProgramFolder.h"
#include "transport/BackgroundTransfer.h"
#include "transport/MakerEndpoints.h"
#include "transport/SmtpMail.h"
#include "widgets/Messages.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString Section = QStringLiteral("Option");

QString measureFile()
{
    return ProgramFolder::file(QStringLiteral("measure.ini"));
}

// A settings value is one line, so a memo's line breaks are stored as backslash-n, and a
// backslash as two; a value holding neither reads as it always did.
QString toSettingsValue(const QString &memo)
{
    QString value;
    for (const QChar c : memo) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c != u'\r')
            value += c;
    }
    return value;
}

QString fromSettingsValue(const QString &value)
{
    QString memo;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size() &&
            (value[i + 1] == u'n' || value[i + 1] == u'\\'))
            memo += value[++i] == u'n' ? u'\n' : u'\\';
        else
            memo += value[i];
    }
    return memo;
}

} // namespace

TfrmMeasure::TfrmMeasure(QWidget *parent)
    : QDialog(parent), m_transfer(new BackgroundTransfer(this))
{
    setObjectName(QStringLiteral("TfrmMeasure"));
    setWindowTitle(QStringLiteral("建议及反馈"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(
        QStringLiteral("首先感谢您对本软件的支持！请认真填写下表，点击发送按钮。"), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    const auto named = [](auto *w, const char *name) {
        w->setObjectName(QString::fromUtf8(name));
        return w;
    };
    edtScore = named(new QLineEdit(this), "edtScore");
    auto *scoreRow = new QFormLayout;
    scoreRow->addRow(QStringLiteral("您对本软件整体评分（百分制）："), edtScore);
    rbYes = named(new QRadioButton(QStringLiteral("是"), this), "rbYes");
    rbNo = named(new QRadioButton(QStringLiteral("否"), this), "rbNo");
    auto *yesNo = new QHBoxLayout;
    yesNo->addWidget(rbYes);
    yesNo->addWidget(rbNo);
    yesNo->addStretch();
    scoreRow->addRow(QStringLiteral("本软件是否满足您的打印需求："), yesNo);
    layout->addLayout(scoreRow);

    const auto memo = [&](const char *name, const QString &caption) {
        layout->addWidget(new QLabel(caption, this));
        auto *m = named(new QPlainTextEdit(this), name);
        m->setTabChangesFocus(true);
        layout->addWidget(m);
        return m;
    };
    memBug = memo("memBug", QStringLiteral("本软件有哪些地方不足之处："));
    memToadd = memo("memToadd", QStringLiteral("您觉得本软件最需要增加什么功能："));
    memGiveup = memo("memGiveup", QStringLiteral("如果您放弃购买本软件，是什么原因："));
    memDecideBuy = memo("memDecideBuy", QStringLiteral("如果您决定购买本软件，是什么原因："));
    memOther = memo("memOther", QStringLiteral("其他建议："));

    edtReplyto = named(new QLineEdit(QStringLiteral("@"), this), "edtReplyto");
    CheckBox1 = named(new QCheckBox(QStringLiteral("请求收条"), this), "CheckBox1");
    CheckBox1->setChecked(true);
    auto *receipt = new QHBoxLayout;
    receipt->addWidget(new QLabel(QStringLiteral("收条回复地址"), this));
    receipt->addWidget(edtReplyto, 1);
    receipt->addWidget(CheckBox1);
    layout->addLayout(receipt);

    auto *forum = named(new QLabel(QStringLiteral("<a href=\"#\">论坛提交</a>"), this), "lblForum");
    connect(forum, &QLabel::linkActivated, this,
            [] { QDesktopServices::openUrl(QUrl(MakerEndpoints::read().forumUrl)); });
    lblHints = named(new QLabel(this), "lblHints");
    btnSend = named(new QPushButton(QStringLiteral("填写完毕，发送"), this), "btnSend");
    auto *close = named(new QPushButton(QStringLiteral("关闭"), this), "btnClose");
    connect(btnSend, &QPushButton::clicked, this, &TfrmMeasure::btnSendClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(forum);
    bottom->addWidget(lblHints, 1);
    bottom->addWidget(btnSend);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(m_transfer, &BackgroundTransfer::finished, this,
            [this](bool ok, bool, const QString &message, const QString &detail) {
                btnSend->setEnabled(true);
                if (ok)
                    lblHints->setText(QStringLiteral("邮件发送完毕！非常感谢您的支持！"));
                else
                    Messages::error(this, detail.isEmpty() ? message : message + u'\n' + detail);
                Q_EMIT sendFinished(ok);
            });
    loadAnswers();
}

void TfrmMeasure::loadAnswers()
{
    const IniFile ini(measureFile());
    const auto text = [&ini](const char *key) {
        return ini.readString(Section, QString::fromUtf8(key), QString());
    };
    edtScore->setText(text("score"));
    rbYes->setChecked(ini.readBool(Section, QStringLiteral("Yes"), false));
    rbNo->setChecked(ini.readBool(Section, QStringLiteral("No"), false));
    memBug->setPlainText(fromSettingsValue(text("bug")));
    memToadd->setPlainText(fromSettingsValue(text("toadd")));
    memGiveup->setPlainText(fromSettingsValue(text("giveup")));
    memDecideBuy->setPlainText(fromSettingsValue(text("decideBuy")));
    memOther->setPlainText(fromSettingsValue(text("other")));
}

void TfrmMeasure::saveAnswers()
{
    const FeedbackAnswers a = answers();
    IniFile ini(measureFile());
    const bool saved = ini.writeValues(
        Section, {{QStringLiteral("score"), a.score.trimmed()},
                  {QStringLiteral("Yes"), a.yes ? QStringLiteral("1") : QStringLiteral("0")},
                  {QStringLiteral("No"), a.no ? QStringLiteral("1") : QStringLiteral("0")},
                  {QStringLiteral("bug"), toSettingsValue(a.bug.trimmed())},
                  {QStringLiteral("toadd"), toSettingsValue(a.toadd.trimmed())},
                  {QStringLiteral("giveup"), toSettingsValue(a.giveup.trimmed())},
                  {QStringLiteral("decideBuy"), toSettingsValue(a.decideBuy.trimmed())},
                  {QStringLiteral("other"), toSettingsValue(a.other.trimmed())}});
    if (!saved)
        Messages::settingsNotSaved(this, ini.path(), ini.errorString());
}

void TfrmMeasure::done(int result)
{
    saveAnswers();
    QDialog::done(result);
}

bool TfrmMeasure::isSending() const
{
    return m_transfer->isRunning();
}

FeedbackAnswers TfrmMeasure::answers() const
{
    FeedbackAnswers a;
    a.score = edtScore->text();
    a.yes = rbYes->isChecked();
    a.no = rbNo->isChecked();
    a.bug = memBug->toPlainText();
    a.toadd = memToadd->toPlainText();
    a.giveup = memGiveup->toPlainText();
    a.decideBuy = memDecideBuy->toPlainText();
    a.other = memOther->toPlainText();
    a.replyTo = edtReplyto->text();
    return a;
}

void TfrmMeasure::btnSendClick()
{
    if (isSending())
        return;
    const FeedbackAnswers a = answers();
    if (a.score.trimmed().isEmpty()) {
        Messages::information(this, QStringLiteral("请认真填写,谢谢"));
        edtScore->setFocus();
        return;
    }
    const MakerEndpoints maker = MakerEndpoints::read();
    MailMessage mail;
    if (CheckBox1->isChecked() && !a.replyTo.isEmpty()) {
        if (!passesAddressTest(a.replyTo)) {
            Messages::information(this, QStringLiteral("您的Email地址好像不对"));
            return;
        }
        mail.extraHeaders << std::pair{QStringLiteral("Disposition-Notification-To"), a.replyTo};
    }
    mail.fromName = QStringLiteral("客户");
    mail.fromAddress = maker.mailAddress;
    mail.toAddress = maker.mailAddress;
    mail.subject = QStringLiteral("Quillet使用建议及反馈");
    mail.htmlBody = feedbackHtml(feedbackText(a, loginName()), maker.mailAddress);
    const SmtpAccount account{maker.smtpServer, maker.smtpPort, maker.smtpUser, maker.smtpPassword,
                              maker.smtpCaFile};

    lblHints->setText(QStringLiteral("正在发送邮件..."));
    btnSend->setEnabled(false);
    m_transfer->start(
        [account, mail](const std::atomic_bool &cancel, const BackgroundTransfer::Progress &) {
            sendMail(account, mail, cancel);
        });
}
