#pragma once

#include "report/TemplateDocument.h"

#include <QImage>
#include <optional>

class QMainWindow;
class QWidget;
class Report;

// The designer's side panels and page commands, apart from its page view: the data tree
// (fields of the report's datasets, system variables, functions), the object tree and the
// property panel as dock widgets, and a 页面 menu (page settings, scanned form, two-point
// calibration, calibration sheet) on the window's menu bar. Everything edits through the
// document, so the page view follows by its signals.
//
// A field dragged from the data tree carries `expressionMimeType`: the UTF-8 text of the
// expression in brackets, ready to be a text object's text.
inline const QString expressionMimeType = QStringLiteral("application/x-quillet-expression");

void addDesignerPanels(QMainWindow *window, TemplateDocument *document, const Report &report);

// The text editor of a text, barcode or check-mark object (static text with [...]
// expressions, with the data tree to insert from and a check of the expressions), modal;
// an accepted change is one edit of the document.
void editObjectText(QWidget *parent, TemplateDocument *document, TemplateDocument::ObjectId id,
                    const Report &report);

// A picture file the user picks: its bytes, kept as they are, and the picture they hold.
// Nothing when the user cancels or, after an error message, when the file is no picture.
struct PictureFile {
    QByteArray bytes;
    QImage image;
};
std::optional<PictureFile> openPictureFile(QWidget *parent, const QString &title);
