#pragma once

// Holds the engine's reader against the reference reader on one input; shared by a unit test and a fuzz target.

#include "ReferenceCsvReader.h"
#include "engine/TextTable.h"
#include "engine/TextTableError.h"

#include <memory>
#include <string>

namespace CsvDifference {

inline std::string show(std::string_view text)
{
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && c != '\\') {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

// The first way in which the engine reads input differently from the reference; empty when they agree.
inline std::string first(std::string_view input, bool hasHeader)
{
    const ReferenceCsvReader::Result reference = ReferenceCsvReader::read(input);
    std::unique_ptr<TextTable> table;
    size_t engineLine = 0;
    try {
        table = std::make_unique<TextTable>(QByteArray(input.data(), qsizetype(input.size())), hasHeader,
                                            QStringLiteral("list.csv"));
    } catch (const TextTableError &e) {
        const qsizetype at = e.message().lastIndexOf(QStringLiteral(" at line "));
        if (e.number() != TextTableError::BadFormat || at < 0 || !e.message().contains(QStringLiteral("list.csv")))
            return "unexpected error: " + e.message().toStdString();
        engineLine = size_t(e.message().mid(at + 9).toULongLong());
    }
    if (reference.errorLine || !table) {
        if (reference.errorLine && !table && *reference.errorLine == engineLine)
            return {};
        return "refused at line " + std::to_string(reference.errorLine.value_or(0)) + " by the reference, at " +
               std::to_string(engineLine) + " by the engine";
    }

    size_t first = 0;
    if (hasHeader && !reference.records.empty()) {
        const auto &header = reference.records[0];
        if (table->columnNames().size() != qsizetype(header.size()))
            return "header has " + std::to_string(header.size()) + " names, the engine " +
                   std::to_string(table->columnNames().size());
        for (size_t k = 0; k < header.size(); ++k) {
            if (table->columnNames()[qsizetype(k)] != ReferenceCsvReader::decode(header[k]).trimmed())
                return "column name " + std::to_string(k) + " differs";
        }
        first = 1;
    }
    const size_t records = reference.records.size() - first;
    if (table->rowCount() != records)
        return std::to_string(records) + " records by the reference, " + std::to_string(table->rowCount()) +
               " by the engine";
    TextTable::Cursor cursor(*table);
    for (size_t r = 0; r < records; ++r) {
        const auto &fields = reference.records[first + r];
        cursor.start(r);
        if (cursor.count() != int(fields.size()))
            return "record " + std::to_string(r) + " has " + std::to_string(fields.size()) +
                   " fields by the reference, " + std::to_string(cursor.count()) + " by the engine";
        for (size_t k = 0; k < fields.size(); ++k) {
            const std::string_view field = cursor.field(int(k));
            if (field != fields[k])
                return "record " + std::to_string(r) + " field " + std::to_string(k) + ": \"" + show(fields[k]) +
                       "\" by the reference, \"" + show(field) + "\" by the engine";
            if (table->decode(field) != ReferenceCsvReader::decode(fields[k]))
                return "record " + std::to_string(r) + " field " + std::to_string(k) + " decodes differently";
        }
    }
    return {};
}

} // namespace CsvDifference
