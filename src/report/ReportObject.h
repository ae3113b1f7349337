#pragma once

#include <QByteArray>
#include <QColor>
#include <QRectF>
#include <QString>
#include <Qt>

// One object placed on a band. Geometry is in millimetres from the band's top-left
// corner; a line runs from the rectangle's top-left to its bottom-right corner.
struct ReportObject {
    enum class Kind { Text, Picture, Line, Rectangle, Barcode, CheckMark };
    enum class Symbology { Code128, Ean13, QrCode };

    Kind kind = Kind::Text;
    QString name;
    QRectF rect; // mm

    // Text and barcode: literal text with expressions in [...].
    QString text;
    // New objects take Arial; Chinese text falls back to a CJK face when drawn.
    QString fontFamily = QStringLiteral("Arial");
    double fontSize = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor textColor = QColor(Qt::black);
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = false;
    bool clip = true;     // text beyond the padded rectangle is cut off; else it runs over
    int rotation = 0;     // degrees anticlockwise: 0, 90, 180 or 270
    double padding = 0.5; // mm between the rectangle and the text
    // Pattern for the values of the [...] expressions: numbers and money in FormatFloat's
    // notation ("#,##0.00"), dates in FormatDateTime's ("yyyy年mm月dd日"); text is untouched.
    QString displayFormat;
    // Character cells (the digit boxes of invoices and cheques): when cellCount > 0, each
    // character but blanks sits centred in a cell of cellWidth mm, cells running from the
    // left edge.
    int cellCount = 0;
    double cellWidth = 5; // mm
    // The font shrinks, never below minFontSize, until the text fits its rectangle.
    bool shrinkToFit = false;
    double minFontSize = 4; // points

    // Text and rectangle: a frame; line and rectangle: the pen.
    bool frame = false;
    double lineWidth = 0.2; // mm

    // Picture: fixed bytes, or an expression giving the image bytes (a field).
    QByteArray picture;
    QString pictureExpression;

    Symbology symbology = Symbology::Code128;
    // Check mark: drawn when this expression is true.
    QString checkExpression;

    // Any kind: the object is left out wherever this expression is false; empty shows it.
    QString visibleExpression;
    // The designer neither moves nor resizes a locked object.
    bool locked = false;

    bool operator==(const ReportObject &) const = default;
};
