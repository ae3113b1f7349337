#include "QuilletApplication.h"

#include "widgets/Messages.h"

#include "store/QuilletError.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

QuilletApplication::QuilletApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    auto *qtTexts = new QTranslator(this);
    if (qtTexts->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(qtTexts);
}

bool QuilletApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const QuilletError &e) {
        Messages::error(activeWindow(), e.message());
    } catch (const std::exception &e) {
        Messages::error(activeWindow(),
                        QStringLiteral("程序内部错误：%1").arg(QString::fromLocal8Bit(e.what())));
    }
    return false;
}
