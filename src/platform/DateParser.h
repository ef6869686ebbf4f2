#pragma once

#include <QDate>
#include <QStringView>

#include <optional>
#include <string_view>

// The one date parser: it decides whether a typed date of birth is valid, reads the #...# literals of a
// statement and the DOB fields of a list. Accepted: month/day/year and month-day-year with one- or two-digit
// month and day and a four-digit year, and year-month-day; blanks around the date are ignored.
namespace DateParser {

std::optional<QDate> parse(std::string_view text);
std::optional<QDate> parse(QStringView text);

inline bool isValidDate(QStringView text)
{
    return parse(text).has_value();
}

} // namespace DateParser
