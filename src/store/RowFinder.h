#pragma once

#include <QString>

class DataSet;

// Find on typing in a list of rows: the code the user types is looked for at the start of
// the list's code column, and, when no code starts with it, anywhere in any column, since a
// clerk looking up a customer types part of its name as often as its code.
namespace RowFinder {

enum class Outcome {
    Found,
    NotFound,
    // The search needs a column the rows do not have.
    MissingColumn
};

struct Result {
    Outcome outcome = Outcome::NotFound;
    int row = -1; // the row in view to make current when found
};

// The code column is the first one, or the second when the current row's first value is
// empty (a list whose first column is only partly filled). The first column is searched
// with letter case, the second without it. An empty text finds nothing, so clearing the
// box moves nothing; pictures are never searched.
Result find(const DataSet &rows, const QString &text);

} // namespace RowFinder
