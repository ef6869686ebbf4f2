#include "search/RecordedSearch.h"

#include <QMap>

namespace {

QString colourName(const Rgb &colour)
{
    if (colour == RowColors::Red)
        return QStringLiteral("red");
    if (colour == RowColors::Yellow)
        return QStringLiteral("yellow");
    if (colour == RowColors::Green)
        return QStringLiteral("green");
    if (colour == RowColors::Black)
        return QStringLiteral("black");
    if (colour == RowColors::White)
        return QStringLiteral("white");
    if (colour == RowColors::PaleYellow)
        return QStringLiteral("pale yellow");
    return QStringLiteral("#%1%2%3")
        .arg(colour.red, 2, 16, QLatin1Char('0'))
        .arg(colour.green, 2, 16, QLatin1Char('0'))
        .arg(colour.blue, 2, 16, QLatin1Char('0'));
}

QString matchWord(MatchState state)
{
    switch (state) {
    case MatchState::None:
        return QString::fromLatin1(ScreeningEntry::NoMatch);
    case MatchState::Matched:
        return QString::fromLatin1(ScreeningEntry::Matched);
    case MatchState::MatchedCleared:
        return QString::fromLatin1(ScreeningEntry::ClearedMatch);
    }
    return {};
}

} // namespace

struct RecordedSearch::State
{
    ScreeningEntry blank;              // the mode and the list, shared by every entry
    QMap<int, NameQuery::Row> written; // each row's texts as the search wrote them back
    QMap<int, ScreeningEntry> rows;    // the rows something was decided for
    QList<int> order;
    int lastWritten = -1;
    QStringList pendingRecords; // the identifiers of the current row's records so far
    int identifierColumn = 0;

    // The row's entry as it would be made now: the shared fields and the row's texts.
    ScreeningEntry made(int row) const
    {
        ScreeningEntry entry = blank;
        const NameQuery::Row texts = written.value(row);
        entry.lastName = texts.lastName;
        entry.firstAndMiddleName = texts.firstAndMiddleName;
        entry.dateOfBirth = texts.dateOfBirth;
        entry.passport = texts.passport;
        return entry;
    }

    ScreeningEntry &entry(int row)
    {
        if (!rows.contains(row)) {
            rows.insert(row, made(row));
            order.append(row);
        }
        return rows[row];
    }
};

class RecordedSearch::Rows : public SearchRows
{
public:
    Rows(SearchRows &inner, State &state)
        : m_inner(inner)
        , m_state(state)
    {}

    bool gridMode() const override { return m_inner.gridMode(); }
    int lastRow() const override { return m_inner.lastRow(); }
    void startRow(int row) override
    {
        m_state.pendingRecords.clear();
        m_inner.startRow(row);
    }
    void resetBackground(int row) override { m_inner.resetBackground(row); }
    bool isRed(int row) const override { return m_inner.isRed(row); }
    bool isTicked(int row) const override { return m_inner.isTicked(row); }
    bool dateRuleApplies(int row) const override { return m_inner.dateRuleApplies(row); }
    NameQuery::Row texts(int row) const override { return m_inner.texts(row); }
    void writeBack(int row, const NameQuery::Row &written) override
    {
        m_state.written[row] = written;
        m_state.lastWritten = row;
        m_inner.writeBack(row, written);
    }
    void mark(int row, const RowMarks &marks) override
    {
        m_state.entry(row).outcome = describe(marks);
        m_inner.mark(row, marks);
    }
    void refused(int row, const QString &message) override
    {
        ScreeningEntry &entry = m_state.entry(row);
        entry.match = QString::fromLatin1(ScreeningEntry::Refused);
        entry.outcome = message;
        m_inner.refused(row, message);
    }
    void rejected(int row, const QString &reason) override
    {
        ScreeningEntry &entry = m_state.entry(row);
        entry.match = QString::fromLatin1(ScreeningEntry::Refused);
        entry.outcome = QStringLiteral("the statement was rejected: %1").arg(reason);
        m_inner.rejected(row, reason);
    }
    void decided(int row, MatchState state) override
    {
        ScreeningEntry &entry = m_state.entry(row);
        entry.match = matchWord(state);
        entry.records = m_state.pendingRecords;
        m_state.pendingRecords.clear();
        if (entry.outcome.isEmpty())
            entry.outcome = QStringLiteral("unchanged");
        m_inner.decided(row, state);
    }

private:
    SearchRows &m_inner;
    State &m_state;
};

class RecordedSearch::Results : public SearchResults
{
public:
    Results(SearchResults &inner, State &state)
        : m_inner(inner)
        , m_state(state)
    {}

    void setFieldCount(int count) override { m_inner.setFieldCount(count); }
    void setFieldNames(const QStringList &names) override
    {
        // A record is named by its SID where the list has one, by its first field otherwise.
        m_state.identifierColumn = 0;
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (names[i].compare(QLatin1String("SID"), Qt::CaseInsensitive) == 0) {
                m_state.identifierColumn = int(i);
                break;
            }
        }
        m_inner.setFieldNames(names);
    }
    void addRecord(const std::vector<std::optional<QString>> &fields) override
    {
        const size_t column = size_t(m_state.identifierColumn);
        m_state.pendingRecords.append(column < fields.size() ? fields[column].value_or(QString()) : QString());
        m_inner.addRecord(fields);
    }
    void rowDone() override { m_inner.rowDone(); }

private:
    SearchResults &m_inner;
    State &m_state;
};

RecordedSearch::RecordedSearch(SearchRows &rows, SearchResults &results, const QString &mode, const ListIdentity &list)
    : m_state(std::make_unique<State>())
{
    m_state->blank.mode = mode;
    m_state->blank.listFile = list.file;
    m_state->blank.listRecords = list.records;
    m_state->blank.listSha256 = list.sha256;
    m_rows = std::make_unique<Rows>(rows, *m_state);
    m_results = std::make_unique<Results>(results, *m_state);
}

RecordedSearch::~RecordedSearch() = default;

SearchRows &RecordedSearch::rows()
{
    return *m_rows;
}

SearchResults &RecordedSearch::results()
{
    return *m_results;
}

QList<RecordedSearch::Visited> RecordedSearch::visited(SearchRun::Outcome outcome) const
{
    QList<Visited> out;
    for (int row : m_state->order)
        out.append({row, m_state->rows.value(row)});
    const int failedAt = m_state->lastWritten;
    if (outcome == SearchRun::Outcome::Failed && failedAt >= 0 && !m_state->rows.contains(failedAt)) {
        // The search stopped at this row: it was looked at, and nothing was decided.
        ScreeningEntry entry = m_state->made(failedAt);
        entry.match = QString::fromLatin1(ScreeningEntry::Failed);
        entry.outcome = QStringLiteral("the search failed at this row");
        out.append({failedAt, entry});
    }
    return out;
}

QString RecordedSearch::describe(const RowMarks &marks)
{
    QString text = colourName(marks.fore);
    if (marks.back)
        text += QStringLiteral(" on ") + colourName(*marks.back);
    if (marks.keep)
        text += QStringLiteral(", Keep ticked");
    return text;
}
