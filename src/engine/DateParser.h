#pragma once

#include <QDate>
#include <QStringView>

#include <optional>
#include <string_view>

// The one date parser: it decides whether a typed date of birth is valid, reads the #...# literals of a
// statement and the DOB fields of a list, so a date is read the same wherever it is written. Whole dates:
//   month/day/year, month-day-year (a first number above 12 is the day: day/month/year)
//   year-month-day, year/month/day
//   day-MMM-year, day MMM year, MMM day, year (English month names or their first three letters, any case)
// with a two-digit year taken as 2000-2029 for 00-29 and 1930-1999 for 30-99, blanks around ignored, and a time
// after the date (00:00:00, 12:00:00 AM, T00:00:00Z) read and left aside.
// A list may also state only part of a date: a year (1960), or a month and a year (01/1960, 1960-01, JAN 1960).
namespace DateParser {

// The days a list date may stand for: one day for a whole date, a month or a year for a partial one.
struct Range
{
    QDate first;
    QDate last;
    bool isWhole() const { return first == last; }
    bool contains(QDate date) const { return first <= date && date <= last; }
};

// Whole dates only.
std::optional<QDate> parse(std::string_view text);
std::optional<QDate> parse(QStringView text);

// Whole dates and the partial ones a list may write.
std::optional<Range> parseRange(std::string_view text);

inline bool isValidDate(QStringView text)
{
    return parse(text).has_value();
}

} // namespace DateParser
