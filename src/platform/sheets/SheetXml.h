#pragma once

#include "platform/sheets/SheetCells.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

// Small helpers for the XML parts of .xlsx and .ods files.
namespace SheetXml {

// An attribute by its local name, whatever its namespace (strict and transitional files differ in theirs).
inline QString attribute(const QXmlStreamReader &xml, QLatin1String name)
{
    for (const QXmlStreamAttribute &a : xml.attributes())
        if (a.name() == name)
            return a.value().toString();
    return QString();
}

// A part that is not well-formed, or ends before its last element closes, refuses the whole file.
inline void refuseIfBroken(const QXmlStreamReader &xml, const QString &part)
{
    if (!xml.hasError())
        return;
    if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        throw SheetRefusal{
            QStringLiteral("It is damaged: its part %1 is cut short (line %2).").arg(part).arg(xml.lineNumber())};
    throw SheetRefusal{QStringLiteral("It is damaged: its part %1 is not well-formed XML (line %2: %3).")
                           .arg(part)
                           .arg(xml.lineNumber())
                           .arg(xml.errorString().remove(QRegularExpression(QStringLiteral("\\.$"))))};
}

} // namespace SheetXml
