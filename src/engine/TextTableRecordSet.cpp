#include "engine/TextTableRecordSet.h"

#include "engine/DateParser.h"
#include "engine/LikeMatch.h"
#include "engine/TextTable.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "engine/TextTableStatement.h"

#include <algorithm>
#include <numeric>

namespace {

bool isAscii(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// One condition, resolved against the table, with its literal folded once.
struct Test
{
    TextTableStatement::Condition::Kind kind;
    int column;
    bool open;             // the record passes where it does not state the value (UnstatedValues)
    std::string folded;    // Equals: the literal's key; Like (ASCII): the pattern
    QString foldedPattern; // Like: the pattern as text, for fields or patterns that are not ASCII
    QDate date;
};

class Matcher
{
public:
    // Tests run in column order, so a record is split only as far as the first test it fails.
    Matcher(const TextTable &table, std::vector<Test> tests)
        : m_table(table)
        , m_tests(std::move(tests))
        , m_cursor(table)
    {
        // A handful of tests: an insertion sort, stable, and without the buffer std::stable_sort allocates.
        for (size_t i = 1; i < m_tests.size(); ++i) {
            for (size_t j = i; j > 0 && m_tests[j].column < m_tests[j - 1].column; --j)
                std::swap(m_tests[j], m_tests[j - 1]);
        }
    }

    bool matches(uint64_t recordStart)
    {
        m_cursor.startAt(recordStart);
        for (const Test &t : m_tests) {
            if (!passes(t, m_cursor.field(t.column)))
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
            return m_folded == t.folded || (t.open && m_folded.empty());
        case TextTableStatement::Condition::Like:
            m_table.fold(field, m_folded);
            if (t.open && m_folded.empty())
                return true;
            if (isAscii(m_folded) && isAscii(t.folded))
                return LikeMatch::matches<char>(m_folded, t.folded);
            {
                const QString text = QString::fromUtf8(m_folded.data(), qsizetype(m_folded.size()));
                return LikeMatch::matches<char16_t>(
                    std::u16string_view(reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size())),
                    std::u16string_view(reinterpret_cast<const char16_t *>(t.foldedPattern.utf16()),
                                        size_t(t.foldedPattern.size())));
            }
        case TextTableStatement::Condition::EqualsDate: {
            const auto range = DateParser::parseRange(field);
            if (t.open)
                return !range || range->contains(t.date);
            return range && range->isWhole() && range->first == t.date;
        }
        }
        return false;
    }

    const TextTable &m_table;
    std::vector<Test> m_tests;
    TextTable::Cursor m_cursor;
    std::string m_folded;
};

} // namespace

void TextTableRecordSet::open(const QString &statement, const TextTableConnection &connection,
                              const UnstatedValues &unstated)
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
    // The first strict text equality narrows the rows through the column's index; an open one cannot, as the
    // index does not list the empty fields under the literal.
    int indexed = -1;
    for (const auto &c : parsed.conditions) {
        const int column = table->columnIndex(c.column);
        if (column < 0)
            throw TextTableError(TextTableError::UnknownColumn,
                                 QStringLiteral("No value given for one or more required parameters: the file has "
                                                "no column %1.")
                                     .arg(c.column));
        Test t{c.kind, column, unstated.isOpen(table->columnNames()[column]), {}, {}, c.date};
        if (c.kind != TextTableStatement::Condition::EqualsDate)
            t.folded = TextTable::fold(c.text);
        if (c.kind == TextTableStatement::Condition::Like) {
            t.foldedPattern = QString::fromUtf8(t.folded.data(), qsizetype(t.folded.size()));
            if (size_t(t.foldedPattern.size()) > LikeMatch::LongestPattern)
                throw TextTableError(TextTableError::SyntaxError,
                                     QStringLiteral("The pattern of LIKE on %1 is longer than %2 characters.")
                                         .arg(c.column)
                                         .arg(LikeMatch::LongestPattern));
        }
        if (c.kind == TextTableStatement::Condition::Equals && !t.open && indexed < 0)
            indexed = int(tests.size());
        tests.push_back(std::move(t));
    }

    std::vector<uint32_t> candidates;
    if (indexed >= 0) {
        // A second text test on another column narrows the candidates before any record is read.
        TextTable::PrefixFilter filter;
        for (const Test &t : tests) {
            if (t.column != tests[indexed].column && t.kind != TextTableStatement::Condition::EqualsDate) {
                filter = TextTable::prefixFilter(t.column, t.folded, t.kind == TextTableStatement::Condition::Equals,
                                                 t.open);
                if (filter.column >= 0)
                    break;
            }
        }
        candidates = table->candidates(tests[indexed].column, tests[indexed].folded, filter);
    } else {
        candidates.resize(table->rowCount());
        std::iota(candidates.begin(), candidates.end(), 0u);
    }
    // The candidates lie scattered through the file: their offsets are gathered in one pass, where the loads
    // overlap, and each record is asked for a few steps before it is tested.
    std::vector<uint64_t> starts(candidates.size());
    for (size_t i = 0; i < candidates.size(); ++i)
        starts[i] = table->recordStart(candidates[i]);
    if (tests.empty()) {
        m_starts = std::move(starts);
    } else {
        Matcher matcher(*table, tests);
        constexpr size_t Ahead = 6;
        m_starts.clear();
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (i + Ahead < starts.size())
                table->prefetch(starts[i + Ahead]);
            if (matcher.matches(starts[i]))
                m_starts.push_back(starts[i]);
        }
    }
    m_table = std::move(table);
    m_current = 0;
    prefetchAhead();
    m_cursor = std::make_unique<TextTable::Cursor>(*m_table);
    m_cursorRow = SIZE_MAX;
}

void TextTableRecordSet::close()
{
    requireOpen();
    m_cursor.reset();
    m_table.reset();
    m_starts.clear();
}

void TextTableRecordSet::throwClosed()
{
    throw TextTableError(TextTableError::ClosedObject,
                         QStringLiteral("Operation is not allowed when the object is closed."));
}

void TextTableRecordSet::throwNoRecord()
{
    throw TextTableError(TextTableError::NoCurrentRecord,
                         QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
}

void TextTableRecordSet::moveFirst()
{
    requireOpen();
    m_current = 0;
    prefetchAhead();
}

void TextTableRecordSet::moveNext()
{
    requireRecord();
    ++m_current;
    prefetchAhead();
}

// Records lie scattered through the file; asking for the next few early hides most of the waiting.
void TextTableRecordSet::prefetchAhead() const
{
    constexpr size_t Distance = 4;
    const size_t first = m_current == 0 ? 0 : m_current + Distance - 1;
    for (size_t i = first; i < m_current + Distance && i < m_starts.size(); ++i)
        m_table->prefetch(m_starts[i]);
}

bool TextTableRecordSet::eof() const
{
    requireOpen();
    return m_current >= m_starts.size();
}

int TextTableRecordSet::fieldCount() const
{
    requireOpen();
    return m_table->columnCount();
}

size_t TextTableRecordSet::recordCount() const
{
    requireOpen();
    return m_starts.size();
}

QString TextTableRecordSet::fieldName(int position) const
{
    requireOpen();
    if (position < 0 || position >= m_table->columnCount())
        throw TextTableError(TextTableError::BadArgument,
                             QStringLiteral("Item cannot be found in the collection: field %1.").arg(position));
    return m_table->columnNames()[position];
}

uint64_t TextTableRecordSet::recordStart() const
{
    requireRecord();
    return m_starts[m_current];
}

std::optional<QString> TextTableRecordSet::value(int position) const
{
    requireRecord();
    if (position < 0 || position >= m_table->columnCount())
        throw TextTableError(TextTableError::BadArgument,
                             QStringLiteral("Item cannot be found in the collection: field %1.").arg(position));
    if (m_cursorRow != m_current)
        decodeCurrent();
    const Span span = m_spans[size_t(position)];
    if (span.length == 0)
        return std::nullopt;
    // The value shares the record's text: no allocation of its own. It ends in the NUL written after it, as
    // every QString does; changing it copies it first, or, once nothing else shares the text, grows in place
    // over fields nobody holds.
    QStringPrivate &owner = m_recordText.data_ptr();
    owner.d_ptr()->ref();
    return QString(QStringPrivate(owner.d_ptr(), owner.data() + span.offset, span.length));
}

// Callers read most fields of the records they visit: each record is split and decoded once, into one buffer.
void TextTableRecordSet::decodeCurrent() const
{
    m_cursor->startAt(m_starts[m_current]);
    const int columns = m_table->columnCount();
    size_t bytes = 0;
    for (int k = 0; k < columns; ++k)
        bytes += m_cursor->field(k).size();
    // No field decodes to more UTF-16 units than it has bytes; each is followed by a NUL.
    m_recordText = QString(qsizetype(bytes) + columns, Qt::Uninitialized);
    QChar *begin = m_recordText.data();
    QChar *out = begin;
    m_spans.resize(size_t(columns));
    for (int k = 0; k < columns; ++k) {
        QChar *start = out;
        out = m_table->decodeInto(m_cursor->field(k), out);
        m_spans[size_t(k)] = {start - begin, out - start};
        *out++ = QChar(u'\0');
    }
    m_cursorRow = m_current;
}
