#include "DesignerNames.h"

QString DesignerNames::page(const ReportPage &page, int index)
{
    const QString number = QStringLiteral("第%1页").arg(index + 1);
    return page.name.isEmpty() ? number : QStringLiteral("%1 %2").arg(number, page.name);
}

QString DesignerNames::band(const ReportBand &band)
{
    QString text = QStringLiteral("%1：%2").arg(ReportBand::typeTitle(band.type), band.name);
    if (!band.dataset.isEmpty())
        text += QStringLiteral(" (%1)").arg(band.dataset);
    return text;
}

QString DesignerNames::objectKind(ReportObject::Kind kind)
{
    switch (kind) {
    case ReportObject::Kind::Text:
        return QStringLiteral("文本");
    case ReportObject::Kind::Picture:
        return QStringLiteral("图片");
    case ReportObject::Kind::Line:
        return QStringLiteral("直线");
    case ReportObject::Kind::Rectangle:
        return QStringLiteral("矩形");
    case ReportObject::Kind::Barcode:
        return QStringLiteral("条码");
    case ReportObject::Kind::CheckMark:
        return QStringLiteral("复选标记");
    }
    return {};
}

QString DesignerNames::object(const ReportObject &object)
{
    return QStringLiteral("%1 (%2)").arg(object.name, objectKind(object.kind));
}
