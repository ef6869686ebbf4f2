#include "search/ListCheck.h"

#include "engine/DateParser.h"
#include "engine/TextTable.h"
#include "engine/TextTableError.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The columns the search's statements name; a list without one of them fails every search that names it.
const QStringList SearchedColumns = {QStringLiteral("CLEARED"),   QStringLiteral("LASTNAME"),
                                     QStringLiteral("FIRSTNAME"), QStringLiteral("MIDDLENAME"),
                                     QStringLiteral("DOB"),       QStringLiteral("PASSPORT/IDNUMBER")};

QString encodingName(const TextTable &table, bool ascii, size_t windows1252Fields)
{
    switch (table.encoding()) {
    case TextTable::Encoding::Utf16LE:
        return QStringLiteral("UTF-16 LE (byte-order mark)");
    case TextTable::Encoding::Utf16BE:
        return QStringLiteral("UTF-16 BE (byte-order mark)");
    case TextTable::Encoding::Utf8Bom:
        break;
    case TextTable::Encoding::Utf8:
        if (ascii)
            return QStringLiteral("ASCII");
        break;
    }
    const QString utf8 = table.encoding() == TextTable::Encoding::Utf8Bom ? QStringLiteral("UTF-8 (byte-order mark)")
                                                                          : QStringLiteral("UTF-8");
    if (windows1252Fields == 0)
        return utf8;
    return QStringLiteral("%1, with %2 %3 in Windows-1252")
        .arg(utf8)
        .arg(windows1252Fields)
        .arg(windows1252Fields == 1 ? "field" : "fields");
}

QString lines(const ListCheck::Findings &findings)
{
    QStringList numbers;
    for (const auto &place : findings.first)
        numbers << QString::number(place.line);
    return numbers.join(QStringLiteral(", "));
}

} // namespace

void ListCheck::Findings::add(size_t line, const QString &text)
{
    ++count;
    if (first.size() < Shown)
        first.push_back({line, text});
}

ListCheck ListCheck::check(const QString &path)
{
    ListCheck result;
    result.fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.refusal = QStringLiteral("%1 cannot be opened: %2").arg(result.fileName, file.errorString());
        return result;
    }
    try {
        // Read as the search reads it, so what is checked is what a search would see.
        const std::unique_ptr<TextTable> read = TextTable::fromFile(file, true, result.fileName);
        const TextTable &table = *read;
        const std::string_view content = table.content();
        for (size_t i = 0; i < content.size(); ++i) {
            if (content[i] == '\n') {
                ++result.lf;
            } else if (content[i] == '\r') {
                if (i + 1 < content.size() && content[i + 1] == '\n') {
                    ++result.crlf;
                    ++i;
                } else {
                    ++result.cr;
                }
            }
        }
        result.records = table.rowCount();
        result.columns = table.columnCount();
        QStringList seen;
        for (const QString &name : table.columnNames()) {
            if (seen.contains(name, Qt::CaseInsensitive) &&
                !result.duplicateColumns.contains(name, Qt::CaseInsensitive))
                result.duplicateColumns << name;
            seen << name;
        }
        for (const QString &name : SearchedColumns) {
            if (table.columnIndex(name) < 0)
                result.missingColumns << name;
        }

        const int dob = table.columnIndex(QStringLiteral("DOB"));
        TextTable::Cursor cursor(table);
        size_t line = 1;
        uint64_t counted = 0;
        bool ascii = true;
        for (size_t r = 0; r < table.rowCount(); ++r) {
            // Lines are counted on from the last record, so the whole file is walked once.
            const size_t start = table.recordStart(r);
            line += table.lineEnds(counted, start);
            counted = start;
            cursor.start(r);
            const int fields = cursor.count();
            if (fields > result.columns)
                result.longer.add(line, QString::number(fields));
            else if (fields < result.columns)
                result.shorter.add(line, QString::number(fields));
            for (int k = 0; k < fields; ++k) {
                const std::string_view field = cursor.field(k);
                for (char c : field) {
                    if (static_cast<unsigned char>(c) >= 0x80) {
                        ascii = false;
                        if (!QByteArrayView(field.data(), qsizetype(field.size())).isValidUtf8())
                            ++result.windows1252Fields;
                        break;
                    }
                }
            }
            if (dob >= 0 && dob < fields && !table.decode(cursor.field(dob)).trimmed().isEmpty()) {
                const auto range = DateParser::parseRange(cursor.field(dob));
                if (!range)
                    result.unreadableDates.add(line, table.decode(cursor.field(dob)));
                else if (!range->isWhole())
                    ++result.partialDates;
            }
        }
        result.encoding = encodingName(table, ascii, result.windows1252Fields);
    } catch (const TextTableError &e) {
        result.refusal = e.message();
    }
    return result;
}

QStringList ListCheck::warnings() const
{
    QStringList out;
    if (!readable())
        return out;
    if (records == 0)
        out << QStringLiteral("the list holds no record");
    if (longer.count > 0)
        out << QStringLiteral("%1 records have more fields than the header names").arg(longer.count);
    if (shorter.count > 0)
        out << QStringLiteral("%1 records have fewer fields than the header names").arg(shorter.count);
    if (!duplicateColumns.isEmpty())
        out << QStringLiteral("duplicate column names: %1").arg(duplicateColumns.join(QStringLiteral(", ")));
    if (!missingColumns.isEmpty())
        out << QStringLiteral("columns a search names are missing: %1").arg(missingColumns.join(QStringLiteral(", ")));
    if (unreadableDates.count > 0)
        out << QStringLiteral("%1 dates of birth cannot be read").arg(unreadableDates.count);
    return out;
}

QString ListCheck::report() const
{
    QString out = fileName + u'\n';
    if (!readable())
        return out + QStringLiteral("  cannot be read: %1\n").arg(refusal);
    auto line = [&out](const QString &label, const QString &value) {
        out += QStringLiteral("  %1: %2\n").arg(label, value);
    };
    line(QStringLiteral("records"), QString::number(records));
    line(QStringLiteral("columns"), QString::number(columns));
    line(QStringLiteral("encoding"), encoding);
    line(QStringLiteral("line ends"), QStringLiteral("CR LF %1, LF %2, CR %3").arg(crlf).arg(lf).arg(cr));
    auto counted = [&](const QString &label, const Findings &findings) {
        line(label, findings.count == 0
                        ? QStringLiteral("0")
                        : QStringLiteral("%1 (lines %2%3)")
                              .arg(findings.count)
                              .arg(lines(findings), findings.count > Shown ? QStringLiteral(", ...") : QString()));
    };
    counted(QStringLiteral("records with more fields than the header"), longer);
    counted(QStringLiteral("records with fewer fields than the header"), shorter);
    line(QStringLiteral("duplicate column names"),
         duplicateColumns.isEmpty() ? QStringLiteral("none") : duplicateColumns.join(QStringLiteral(", ")));
    if (!missingColumns.isEmpty())
        line(QStringLiteral("missing columns"), missingColumns.join(QStringLiteral(", ")));
    line(QStringLiteral("dates of birth that cannot be read"), QString::number(unreadableDates.count));
    for (const Place &place : unreadableDates.first)
        out += QStringLiteral("    line %1: \"%2\"\n").arg(place.line).arg(place.text);
    line(QStringLiteral("dates of birth that give only a year or a month"), QString::number(partialDates));
    const QStringList found = warnings();
    line(QStringLiteral("result"), found.isEmpty() ? QStringLiteral("ok")
                                                   : QStringLiteral("%1 warning%2: %3")
                                                         .arg(found.size())
                                                         .arg(found.size() == 1 ? "" : "s")
                                                         .arg(found.join(QStringLiteral("; "))));
    return out;
}
