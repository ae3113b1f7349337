#include "PaperSizes.h"

const QList<PaperSize> &PaperSizes::all()
{
    static const QList<PaperSize> sizes = {
        {QStringLiteral("A4"), QStringLiteral("A4 (210×297)"), {210, 297}},
        {QStringLiteral("A5"), QStringLiteral("A5 (148×210)"), {148, 210}},
        {QStringLiteral("A3"), QStringLiteral("A3 (297×420)"), {297, 420}},
        {QStringLiteral("B5"), QStringLiteral("B5 (176×250)"), {176, 250}},
        {QStringLiteral("16K"), QStringLiteral("16开 (184×260)"), {184, 260}},
        {QStringLiteral("32K"), QStringLiteral("32开 (130×184)"), {130, 184}},
        {QStringLiteral("Form241x280"), QStringLiteral("241×280 一等分"), {241, 279.4}},
        {QStringLiteral("Form241x140"), QStringLiteral("241×140 二等分"), {241, 139.7}},
        {QStringLiteral("Form241x93"), QStringLiteral("241×93 三等分"), {241, 93.1}},
        {QStringLiteral("Form210x140"), QStringLiteral("210×140 发票"), {210, 140}},
        {QStringLiteral("Form190x102"), QStringLiteral("190×102 支票"), {190, 102}},
    };
    return sizes;
}

QSizeF PaperSizes::sizeOf(const QString &id)
{
    for (const PaperSize &paper : all())
        if (paper.id == id)
            return paper.size;
    return {};
}
