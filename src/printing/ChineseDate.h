#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Dates in Chinese characters for paper forms. Only the calendar date counts;
// the time of day is ignored. Years are written digit by digit (1900 gives 一九○○年).
// The ordinary zero is the white circle U+25CB "○", never the ideographic zero U+3007.
// An invalid date gives an empty text; the dispatcher never passes one.

// Ordinary numerals, no 零 before single-digit months and days: 二○○九年一月五日.
QString DateToHz(const QDate &date);
QString DateToHz(const QDateTime &dateTime);

// Upper-case (financial) numerals, 零 before single-digit months and days, 壹拾 for the
// tens of 10 to 19: 贰零零玖年零壹月零伍日, 贰零零玖年壹拾月壹拾日.
QString DateToHz2(const QDate &date);
QString DateToHz2(const QDateTime &dateTime);

// The overlay-printing date: every 年 and 月 becomes four spaces, every 日 is deleted;
// everything else passes unchanged.
QString HzDateExcludeYMD(const QString &text);
