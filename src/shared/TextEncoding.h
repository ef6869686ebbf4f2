#pragma once

#include <QByteArray>
#include <QString>

// The encodings of the files the program reads and writes. Files we write are UTF-8, except on Windows where
// the operators' other tools expect the system's 8-bit code page.
namespace TextEncoding {

QByteArray encodeForFile(const QString &text);

// Valid UTF-8 (a leading BOM dropped) is read as UTF-8; anything else as Windows-1252, the encoding the
// authority's lists and older Windows files come in.
QString decodeFile(const QByteArray &bytes);

QString decodeWindows1252(const QByteArray &bytes);

} // namespace TextEncoding
