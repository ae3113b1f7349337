#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <Qt>

// One object placed on a band. Geometry is in millimetres from the band's top-left
// corner; a line runs from the rectangle's top-left to its bottom-right corner.
struct ReportObject {
    enum class Kind { Text, Picture, Line, Rectangle };

    Kind kind = Kind::Text;
    QString name;
    QRectF rect; // mm

    // Text: literal text with expressions in [...].
    QString text;
    QString fontFamily = QStringLiteral("Arial");
    double fontSize = 10; // points
    bool bold = false;
    bool italic = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = false;
    double padding = 0.5; // mm between the rectangle and the text

    // Text and rectangle: a frame; line and rectangle: the pen.
    bool frame = false;
    double lineWidth = 0.2; // mm

    // Picture: fixed bytes, or an expression giving the image bytes (a field).
    QByteArray picture;
    QString pictureExpression;

    bool operator==(const ReportObject &) const = default;
};
