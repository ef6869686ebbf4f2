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
