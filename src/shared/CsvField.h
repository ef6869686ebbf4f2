#pragma once

#include <QString>

// A field as the tools write it into comma-separated output: as it is, or between double quotes with its quotes
// doubled when it holds a comma, a quote or a line break.
inline QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QLatin1String("\"\"")) + u'"';
}

// A field of comma-separated output meant to be opened in a spreadsheet: as csvField(), but a text a spreadsheet
// would take for a formula (one that begins with =, +, -, @, a tab or a carriage return: a list's name field may
// hold =HYPERLINK(...)) gets an apostrophe before it, inside quotes, so that it is shown as text and never run.
inline QString csvCell(const QString &text)
{
    static constexpr char16_t FormulaStarts[] = u"=+-@\t\r";
    if (text.isEmpty() || !QStringView(FormulaStarts).contains(text.front()))
        return csvField(text);
    return QLatin1String("\"'") + QString(text).replace(u'"', QLatin1String("\"\"")) + u'"';
}
