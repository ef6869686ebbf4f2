#pragma once

#include "engine/TextTable.h"
#include "engine/UnstatedValues.h"

#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TextTableConnection;

// The records of one statement, in file order, each with all the table's columns. Every operation on a record
// set that is not open throws TextTableError 3704.
class TextTableRecordSet
{
public:
    // Throws TextTableError: syntax errors, unknown columns, missing files or files that cannot be read
    // completely, a closed connection.
    void open(const QString &statement, const TextTableConnection &connection,
              const UnstatedValues &unstated = UnstatedValues());
    void close();
    bool isOpen() const { return m_table != nullptr; }

    void moveFirst();
    void moveNext();
    bool eof() const;
    int fieldCount() const;
    QString fieldName(int position) const;
    // The field at position of the current record; nullopt for an empty field.
    std::optional<QString> value(int position) const;

    size_t recordCount() const;
    // Where the current record starts in its file (TextTable::recordStart): which record of the list it is.
    uint64_t recordStart() const;

private:
    // Asked at every field: the tests are inline, the throws are not.
    void requireOpen() const
    {
        if (!m_table) [[unlikely]]
            throwClosed();
    }
    void requireRecord() const
    {
        requireOpen();
        if (m_current >= m_starts.size()) [[unlikely]]
            throwNoRecord();
    }
    [[noreturn]] static void throwClosed();
    [[noreturn]] static void throwNoRecord();
    void prefetchAhead() const;

    std::shared_ptr<TextTable> m_table;
    std::vector<uint64_t> m_starts; // where each record begins in the file
    size_t m_current = 0;
    void decodeCurrent() const;

    mutable std::unique_ptr<TextTable::Cursor> m_cursor;
    mutable size_t m_cursorRow = SIZE_MAX; // the record m_recordText holds
    // The current record's fields as text, one after another, each followed by a NUL; the values share it.
    mutable QString m_recordText;
    struct Span
    {
        qsizetype offset;
        qsizetype length; // 0: an empty field
    };
    mutable std::vector<Span> m_spans;
};
