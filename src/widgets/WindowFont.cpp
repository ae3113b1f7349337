#include "WindowFont.h"

#include <QStringList>

namespace WindowFont {

QFont songTi()
{
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(9);
    return font;
}

} // namespace WindowFont
