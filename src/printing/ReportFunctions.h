#pragma once

#include "FieldSource.h"
#include "ReportFunctionError.h"
#include "store/Currency.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

// The program's functions that templates call, and the dispatcher through which
// the report engine calls them.
//
// Engine values crossing the interface are QVariants holding one of: nothing (an invalid or
// null QVariant: an empty database field), QDateTime or QDate, Currency, QString, an
// integer (int, qint64...), double, bool. Every error -- a null date or amount, text that
// is no date, amount or whole number, a missing argument, an amount the boxes cannot hold
// -- is raised as ReportFunctionError (ReportFunctionError.h) carrying a Chinese message
// that names the function; the engine stops preparing the report and shows it.

struct ReportFunctionDeclaration {
    QString name;        // as the script calls it, e.g. "DateToHz"
    QString declaration; // in the engine's script language, handed over exactly as written
    QString category;    // "自定义" for all
    QString description; // shown in the designer's function list
};

// The seven declarations in the order they are added, then ShowRichText.
const QList<ReportFunctionDeclaration> &reportFunctionDeclarations();

// Argument conversions. function names the called function in error messages.
// To a date-time: date-times unchanged (a QDate at midnight); numbers are days since
// 1899-12-30 with the time of day as fraction; text is "yyyy-M-d", "yyyy/M/d", "yyyy.M.d"
// or "yyyy年M月d日", optionally followed by a time "h:mm[:ss]", or ISO 8601; years 1..9999.
QDateTime engineValueToDateTime(const QVariant &value, const QString &function);
// To a currency amount, rounded half away from zero to four decimals. Numbers and text
// only; bool and dates are refused.
Currency engineValueToCurrency(const QVariant &value, const QString &function);
// To text: null gives the empty text; a date "yyyy-MM-dd" (with " hh:mm:ss" when it has a
// time of day); a currency amount its shortest text, a double its 15-digit general form;
// bool "True"/"False".
QString engineValueToText(const QVariant &value);
// A decimal integer, blanks around it allowed: "10" is 10; "abc", "10.5", "" fail.
int textToWholeNumber(const QString &text, const QString &function);

// FieldIsNull("dataset.field"): true for an argument without ".", a dataset the lookup does
// not know, a closed table or a field the table does not have; otherwise whether the
// field of the table's current row is null. The field name is cut to 255 characters.
bool FieldIsNull(const QString &fieldName, const DatasetLookup &lookup);

// ShowRichText("dataset.field"): the field's text broken into lines by breakIntoLines();
// empty when FieldIsNull would answer true.
QString ShowRichText(const QString &fieldName, const DatasetLookup &lookup);

// Lines for a fixed-width box: fullWidthPerLine full-width characters, two half-width
// characters (ASCII digits and letters, "-", ".", "(", ")", "/", space) counting as one. A
// closing mark "。", "）", ")", "、", "，" that would begin the next line is taken onto the
// line it closes; when two such marks follow each other the line ends one character
// earlier instead, so that the marks follow a character on the next line. Line breaks in
// the text (CR LF, LF, CR) end a line; empty lines are dropped; lines are joined with CR LF
// without a trailing line break.
QString breakIntoLines(const QString &text, int fullWidthPerLine = 41);

// The user-function handler of a record window's report object.
class ReportFunctions {
public:
    explicit ReportFunctions(DatasetLookup lookup = {});
    // Where FieldIsNull and ShowRichText find the named report datasets.
    void setDatasetLookup(DatasetLookup lookup);

    // Calls the function called name (ASCII case ignored) with arguments, first argument
    // first, and returns its result: text, or bool for FieldIsNull. An unknown name
    // returns an invalid QVariant (the engine's empty value). Extra arguments are ignored;
    // a missing one raises ReportFunctionError, like every conversion error.
    QVariant frxReportUserFunction(const QString &name, const QVariantList &arguments) const;

private:
    DatasetLookup m_lookup;
};
