#pragma once

#include "store/Currency.h"

#include <QString>

// Amounts of money in upper-case Chinese numerals for paper forms.

// In words with units, from the amount's 15-significant-digit general text form:
// 壹仟零伍元整, 壹元零角伍分, 负壹元伍角整, 零整. 整 is appended when the amount in fen,
// rounded with ties to the even fen, ends in 0. Never fails.
QString rmbToBIG(Currency value);

// One upper-case digit per box, each preceded by a space, for boxed amount fields.
// rmbToBIG4Fill writes the amount in fen (ties to the even fen) in max(len, 8) boxes,
// rmbToBIG4Round the amount in whole yuan (ties to the even yuan) in max(len, 5) boxes;
// missing leading digits are 零.
//
// Printing only the first n digits would put a wrong amount on a cheque without a word,
// so these raise ReportFunctionError with a Chinese message when the amount is negative
// or has more digits than there are boxes. len above
// MaxAmountBoxes is refused the same way.
QString rmbToBIG4Fill(Currency value, int len);
QString rmbToBIG4Round(Currency value, int len);

inline constexpr int MaxAmountBoxes = 1000;
