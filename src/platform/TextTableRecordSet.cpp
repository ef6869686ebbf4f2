#include "platform/TextTableRecordSet.h"

#include "platform/DateParser.h"
#include "platform/TextTable.h"
#include "platform/TextTableConnection.h"
#include "platform/TextTableError.h"
#include "platform/TextTableStatement.h"

#include <algorithm>

namespace {

bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// LIKE on folded texts: % matches any run, _ one character. Iterative, with one point to return to.
template <typename Char> bool likeMatch(const Char *s, size_t n, const Char *p, size_t m)
{
    size_t i = 0, j = 0, star = SIZE_MAX, mark = 0;
    while (i < n) {
        if (j < m && (p[j] == Char('_') || p[j] == s[i])) {
            ++i;
            ++j;
        } else if (j < m && p[j] == Char('%')) {
            star = j++;
            mark = i;
        } else if (star != SIZE_MAX) {
            j = star + 1;
            i = ++mark;
        } else {
            return false;
        }
    }
    while (j < m && p[j] == Char('%'))
        ++j;
    return j == m;
}

// One condition, resolved against the table, with its literal folded once.
struct Test
{
    TextTableStatement::Condition::Kind kind;
    int column;
    std::string folded;    // Equals: the literal's key; Like (ASCII): the pattern
    QString foldedPattern; // Like: the pattern as text, for fields that are not ASCII
    QDate date;
};

class Matcher
{
public:
    Matcher(const TextTable &table, std::vector<Test> tests)
        : m_table(table)
        , m_tests(std::move(tests))
    {
        for (const Test &t : m_tests)
            m_width = std::max(m_width, t.column + 1);
    }

    bool matches(uint32_t row)
    {
        m_table.fields(row, m_width, m_fields, m_scratch);
        for (const Test &t : m_tests) {
            const std::string_view field = t.column < int(m_fields.size()) ? m_fields[t.column] : std::string_view();
            if (!passes(t, field))
                return false;
        }
        return true;
    }

private:
    bool passes(const Test &t, std::string_view field)
    {
        switch (t.kind) {
        case TextTableStatement::Condition::Equals:
            m_table.fold(field, m_folded);
            return m_folded == t.folded;
        case TextTableStatement::Condition::Like:
            m_table.fold(field, m_folded);
            if (isAscii(m_folded) && isAscii(t.folded))
                return likeMatch(m_folded.data(), m_folded.size(), t.folded.data(), t.folded.size());
            {
                const QString text = QString::fromUtf8(m_folded.data(), qsizetype(m_folded.size()));
                return likeMatch(text.constData(), size_t(text.size()), t.foldedPattern.constData(),
                                 size_t(t.foldedPattern.size()));
            }
        case TextTableStatement::Condition::EqualsDate: {
            // A field that is no date equals no date.
            const auto date = DateParser::parse(field);
            return date && *date == t.date;
        }
        }
        return false;
    }

    const TextTable &m_table;
    std::vector<Test> m_tests;
    int m_width = 0;
    std::vector<std::string_view> m_fields;
    std::string m_scratch, m_folded;
};

} // namespace

void TextTableRecordSet::open(const QString &statement, const TextTableConnection &connection)
{
    if (isOpen())
        throw TextTableError(TextTableError::OpenObject,
                             QStringLiteral("Operation is not allowed when the object is open."));
    if (!connection.isOpen())
        throw TextTableError(TextTableError::ClosedObject,
                             QStringLiteral("Operation is not allowed when the object is closed."));
    const TextTableStatement parsed = TextTableStatement::parse(statement);
    std::shared_ptr<TextTable> table = connection.table(parsed.table);

    std::vector<Test> tests;
    int indexed = -1; // the first text equality narrows the rows through the column's index
    for (const auto &c : parsed.conditions) {
        const int column = table->columnIndex(c.column);
        if (column < 0)
            throw TextTableError(TextTableError::UnknownColumn,
                                 QStringLiteral("No value given for one or more required parameters: the file has "
                                                "no column %1.")
                                     .arg(c.column));
        Test t{c.kind, column, {}, {}, c.date};
        if (c.kind != TextTableStatement::Condition::EqualsDate) {
            t.folded = TextTable::fold(c.text);
            t.foldedPattern = c.text.toCaseFolded();
        }
        if (c.kind == TextTableStatement::Condition::Equals && indexed < 0)
            indexed = int(tests.size());
        tests.push_back(std::move(t));
    }

    std::vector<uint32_t> rows;
    Matcher matcher(*table, tests);
    if (indexed >= 0) {
        for (uint32_t row : table->candidates(tests[indexed].column, tests[indexed].folded)) {
            if (matcher.matches(row))
                rows.push_back(row);
        }
    } else {
        for (size_t row = 0; row < table->rowCount(); ++row) {
            if (tests.empty() || matcher.matches(uint32_t(row)))
                rows.push_back(uint32_t(row));
        }
    }
    m_table = std::move(table);
    m_rows = std::move(rows);
    m_current = 0;
    m_splitRow = SIZE_MAX;
}

void TextTableRecordSet::close()
{
    requireOpen();
    m_table.reset();
    m_rows.clear();
    m_fields.clear();
    m_scratch.clear();
}

void TextTableRecordSet::requireOpen() const
{
    if (!isOpen())
        throw TextTableError(TextTableError::ClosedObject,
                             QStringLiteral("Operation is not allowed when the object is closed."));
}

void TextTableRecordSet::requireRecord() const
{
    requireOpen();
    if (m_current >= m_rows.size())
        throw TextTableError(TextTableError::NoCurrentRecord,
                             QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
}

void TextTableRecordSet::moveFirst()
{
    requireOpen();
    m_current = 0;
}

void TextTableRecordSet::moveNext()
{
    requireRecord();
    ++m_current;
}

bool TextTableRecordSet::eof() const
{
    requireOpen();
    return m_current >= m_rows.size();
}

int TextTableRecordSet::fieldCount() const
{
    requireOpen();
    return m_table->columnCount();
}

size_t TextTableRecordSet::recordCount() const
{
    requireOpen();
    return m_rows.size();
}

QString TextTableRecordSet::fieldName(int position) const
{
    requireOpen();
    if (position < 0 || position >= m_table->columnCount())
        throw TextTableError(TextTableError::BadArgument,
                             QStringLiteral("Item cannot be found in the collection: field %1.").arg(position));
    return m_table->columnNames()[position];
}

std::optional<QString> TextTableRecordSet::value(int position) const
{
    requireRecord();
    if (position < 0 || position >= m_table->columnCount())
        throw TextTableError(TextTableError::BadArgument,
                             QStringLiteral("Item cannot be found in the collection: field %1.").arg(position));
    const uint32_t row = m_rows[m_current];
    if (m_splitRow != row) {
        m_table->fields(row, m_table->columnCount(), m_fields, m_scratch);
        m_splitRow = row;
    }
    if (position >= int(m_fields.size()) || m_fields[position].empty())
        return std::nullopt;
    return m_table->decode(m_fields[position]);
}
