#include "DesktopPrograms.h"

#include <QStandardPaths>

namespace DesktopPrograms {

const QStringList &Calculators()
{
    static const QStringList names{
        QStringLiteral("gnome-calculator"),
        QStringLiteral("kcalc"),
        QStringLiteral("mate-calc"),
        QStringLiteral("galculator"),
        QStringLiteral("qalculate-gtk"),
        QStringLiteral("speedcrunch"),
        QStringLiteral("xcalc"),
    };
    return names;
}

const QStringList &TextEditors()
{
    static const QStringList names{
        QStringLiteral("gnome-text-editor"),
        QStringLiteral("gedit"),
        QStringLiteral("kate"),
        QStringLiteral("kwrite"),
        QStringLiteral("mousepad"),
        QStringLiteral("pluma"),
        QStringLiteral("xed"),
        QStringLiteral("featherpad"),
        QStringLiteral("leafpad"),
        QStringLiteral("geany"),
    };
    return names;
}

QString findFirst(const QStringList &names)
{
    for (const QString &name : names) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

} // namespace DesktopPrograms
