#include "Messages.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>

namespace Messages {

namespace {

Responder &responder()
{
    static Responder instance;
    return instance;
}

QString titleOr(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationDisplayName() : title;
}

bool show(QWidget *parent, Kind kind, const QString &title, const QString &text)
{
    if (responder())
        return responder()(Shown{kind, title, text});
    switch (kind) {
    case Kind::Information:
        QMessageBox::information(parent, title, text);
        return true;
    case Kind::Error:
        QMessageBox::critical(parent, title, text);
        return true;
    case Kind::YesNo: {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::NoButton, parent);
        const QAbstractButton *yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes;
    }
    case Kind::OkCancel: {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
        const QAbstractButton *ok = box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
        box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
        box.exec();
        return box.clickedButton() == ok;
    }
    case Kind::YesNoCancel:
        break;
    }
    return false;
}

} // namespace

void information(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, Kind::Information, titleOr(title), text);
}

void error(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, Kind::Error, title.isEmpty() ? QStringLiteral("错误") : title, text);
}

bool askYesNo(QWidget *parent, const QString &text, const QString &title)
{
    return show(parent, Kind::YesNo, titleOr(title), text);
}

bool askOkCancel(QWidget *parent, const QString &text, const QString &title)
{
    return show(parent, Kind::OkCancel, titleOr(title), text);
}

Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &title)
{
    if (responder())
        return responder()(Shown{Kind::YesNoCancel, titleOr(title), text}) ? Answer::Yes
                                                                           : Answer::No;
    QMessageBox box(QMessageBox::Question, titleOr(title), text, QMessageBox::NoButton, parent);
    const QAbstractButton *yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    const QAbstractButton *no = box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() == yes)
        return Answer::Yes;
    return box.clickedButton() == no ? Answer::No : Answer::Cancel;
}

void settingsNotSaved(QWidget *parent, const QString &path, const QString &reason)
{
    static bool told = false;
    if (told)
        return;
    told = true;
    error(parent,
          QStringLiteral("设置文件“%1”不能保存：%2\n文件保持原样，本次运行中的设置改动不会留下。")
              .arg(QDir::toNativeSeparators(path), reason));
}

void setResponder(Responder r)
{
    responder() = std::move(r);
}

} // namespace Messages
