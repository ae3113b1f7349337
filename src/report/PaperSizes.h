#pragma once

#include <QList>
#include <QSizeF>
#include <QString>

// Named paper sizes offered for pages: ISO sizes and the Chinese continuous-form and
// book sizes that pre-printed forms come in. Sizes are width × height in millimetres as
// the sheet is fed (portrait); continuous forms are wider than long.
struct PaperSize {
    QString id;   // stored in templates
    QString name; // shown to the user
    QSizeF size;  // mm, as fed
};

namespace PaperSizes {
const QList<PaperSize> &all();
// The size of a named paper, or an empty size for an unknown or custom name.
QSizeF sizeOf(const QString &id);
inline const QString custom = QStringLiteral("Custom");
} // namespace PaperSizes
