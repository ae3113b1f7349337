#include "ReportXmlNames.h"

#include <QList>
#include <utility>

namespace {

template <typename T> using NameTable = QList<std::pair<T, QString>>;

const NameTable<ReportBand::Type> &bandTypes()
{
    static const NameTable<ReportBand::Type> table = {
        {ReportBand::Type::ReportTitle, QStringLiteral("ReportTitle")},
        {ReportBand::Type::PageHeader, QStringLiteral("PageHeader")},
        {ReportBand::Type::MasterData, QStringLiteral("MasterData")},
        {ReportBand::Type::DetailData, QStringLiteral("DetailData")},
        {ReportBand::Type::PageFooter, QStringLiteral("PageFooter")},
    };
    return table;
}

const NameTable<ReportObject::Kind> &objectKinds()
{
    static const NameTable<ReportObject::Kind> table = {
        {ReportObject::Kind::Text, QStringLiteral("Text")},
        {ReportObject::Kind::Picture, QStringLiteral("Picture")},
        {ReportObject::Kind::Line, QStringLiteral("Line")},
        {ReportObject::Kind::Rectangle, QStringLiteral("Rectangle")},
        {ReportObject::Kind::Barcode, QStringLiteral("Barcode")},
        {ReportObject::Kind::CheckMark, QStringLiteral("CheckMark")},
    };
    return table;
}

const NameTable<ReportObject::Symbology> &symbologies()
{
    static const NameTable<ReportObject::Symbology> table = {
        {ReportObject::Symbology::Code128, QStringLiteral("code128")},
        {ReportObject::Symbology::Ean13, QStringLiteral("ean13")},
        {ReportObject::Symbology::QrCode, QStringLiteral("qr")},
    };
    return table;
}

const NameTable<Qt::Alignment> &horizontals()
{
    static const NameTable<Qt::Alignment> table = {
        {Qt::AlignLeft, QStringLiteral("left")},
        {Qt::AlignHCenter, QStringLiteral("center")},
        {Qt::AlignRight, QStringLiteral("right")},
        {Qt::AlignJustify, QStringLiteral("justify")},
    };
    return table;
}

const NameTable<Qt::Alignment> &verticals()
{
    static const NameTable<Qt::Alignment> table = {
        {Qt::AlignTop, QStringLiteral("top")},
        {Qt::AlignVCenter, QStringLiteral("center")},
        {Qt::AlignBottom, QStringLiteral("bottom")},
    };
    return table;
}

template <typename T> QString nameOf(const NameTable<T> &table, T value)
{
    for (const auto &[key, name] : table)
        if (key == value)
            return name;
    return {};
}

template <typename T> std::optional<T> valueOf(const NameTable<T> &table, const QString &name)
{
    for (const auto &[key, text] : table)
        if (text == name)
            return key;
    return std::nullopt;
}

} // namespace

QString ReportXmlNames::bandTypeName(ReportBand::Type type)
{
    return nameOf(bandTypes(), type);
}

std::optional<ReportBand::Type> ReportXmlNames::bandType(const QString &name)
{
    return valueOf(bandTypes(), name);
}

QString ReportXmlNames::objectKindName(ReportObject::Kind kind)
{
    return nameOf(objectKinds(), kind);
}

std::optional<ReportObject::Kind> ReportXmlNames::objectKind(const QString &name)
{
    return valueOf(objectKinds(), name);
}

QString ReportXmlNames::symbologyName(ReportObject::Symbology symbology)
{
    return nameOf(symbologies(), symbology);
}

std::optional<ReportObject::Symbology> ReportXmlNames::symbology(const QString &name)
{
    return valueOf(symbologies(), name);
}

QString ReportXmlNames::horizontalName(Qt::Alignment alignment)
{
    return nameOf(horizontals(), Qt::Alignment(alignment & Qt::AlignHorizontal_Mask));
}

QString ReportXmlNames::verticalName(Qt::Alignment alignment)
{
    return nameOf(verticals(), Qt::Alignment(alignment & Qt::AlignVertical_Mask));
}

std::optional<Qt::Alignment> ReportXmlNames::horizontal(const QString &name)
{
    return valueOf(horizontals(), name);
}

std::optional<Qt::Alignment> ReportXmlNames::vertical(const QString &name)
{
    return valueOf(verticals(), name);
}
