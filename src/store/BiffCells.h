#pragma once

#include <QString>
#include <functional>
#include <vector>

// The raw values of the number and boolean cells of a legacy .xls workbook's first
// worksheet, read from its BIFF records: freexl gives a date cell only as the text its
// format shows (without the time of day under a date-only format) and a boolean as 0 or 1.
class BiffCells {
public:
    struct Value {
        bool isBoolean = false;
        bool flag = false; // a boolean's value
        double number = 0; // a number's value
    };
    using Visitor = std::function<void(int row, int column, const Value &value)>;

    // Reads the workbook stream of the compound document.
    explicit BiffCells(const QString &path);

    // Whether the file is a compound document holding a workbook stream, as freexl needs it
    // to be: checked before freexl ever sees the file.
    bool isWorkbook() const { return !m_stream.empty(); }

    // Calls the visitor for each number (NUMBER, RK, MULRK, a formula's number) and boolean
    // (BOOLERR, a formula's boolean) of the first worksheet. A damaged stream ends the visit
    // where the damage starts.
    void visitFirstSheet(const Visitor &visitor) const;

private:
    std::vector<quint8> m_stream;
};
