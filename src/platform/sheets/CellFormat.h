#pragma once

#include <QString>

// The text a spreadsheet shows for a number under a number format code, in the United States' conventions
// (1,234.5; 1/2/1960; Jan), as the watch lists are written that way. Codes are Excel's: sections for positive,
// negative, zero and text; digit placeholders 0 # ?; grouping and scaling commas; percent; scientific; quoted and
// escaped literals; dates and times; [h] elapsed hours; colours and locale tags (read and ignored).
namespace CellFormat {

// How serial numbers count days.
enum class DateSystem {
    Excel1900, // 1 is 1 Jan 1900, with Excel's 29 Feb 1900
    Excel1904, // 0 is 1 Jan 1904
    From1899   // 0 is 30 Dec 1899 (OpenDocument's default null date)
};

// The code of a built-in format of Excel's (its number in the workbook), or an empty text when the number is
// not one.
QString builtIn(int id);

// A number in the General format as a column of the default width shows it: at most 11 characters besides
// the sign, in scientific form when it needs more.
QString general(double value);

// value shown under code; ok is set false when the code gives no text for it (a date before the first day or
// past 9999, a number grown past what a double holds), which a spreadsheet shows as a row of #.
QString number(double value, const QString &code, DateSystem dates, bool *ok = nullptr);

// A text cell under code: its text section's form when the code has one, otherwise the text itself.
QString text(const QString &value, const QString &code);

// True when the code shows numbers as dates or times.
bool isDate(const QString &code);

} // namespace CellFormat
