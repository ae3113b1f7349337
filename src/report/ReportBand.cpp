#include "ReportBand.h"

QString ReportBand::typeTitle(Type type)
{
    switch (type) {
    case Type::ReportTitle:
        return QStringLiteral("报表标题");
    case Type::PageHeader:
        return QStringLiteral("页眉");
    case Type::MasterData:
        return QStringLiteral("主数据带");
    case Type::DetailData:
        return QStringLiteral("明细数据带");
    case Type::PageFooter:
        break;
    }
    return QStringLiteral("页脚");
}
