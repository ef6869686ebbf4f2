#include "search/BatchScreening.h"

#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "search/NearMissFinder.h"
#include "search/NearMissIndex.h"
#include "search/RecordedSearch.h"
#include "search/RowMarks.h"
#include "search/ScreeningStatus.h"
#include "search/SearchRun.h"
#include "search/WatchListFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

class BatchRows : public SearchRows
{
public:
    BatchRows(QList<BatchScreening::Person> &persons, const BatchScreening::Progress &progress)
        : m_persons(persons)
        , m_progress(progress)
    {}

    bool gridMode() const override { return true; }
    int lastRow() const override { return int(m_persons.size()) - 1; }
    void startRow(int row) override
    {
        m_current = row;
        if (m_progress)
            m_progress(row, int(m_persons.size()));
    }
    void resetBackground(int row) override { m_persons[row].backColor = RowColors::White; }
    bool isRed(int row) const override { return m_persons[row].foreColor == RowColors::Red; }
    bool isTicked(int) const override { return true; }
    bool dateRuleApplies(int) const override { return true; }
    NameQuery::Row texts(int row) const override { return m_persons[row].texts; }
    void writeBack(int row, const NameQuery::Row &written) override
    {
        NameQuery::Row &texts = m_persons[row].texts;
        texts.lastName = written.lastName;
        texts.firstAndMiddleName = written.firstAndMiddleName;
        texts.passport = written.passport;
    }
    void mark(int row, const RowMarks &marks) override
    {
        m_persons[row].foreColor = marks.fore;
        if (marks.back)
            m_persons[row].backColor = *marks.back;
    }
    void refused(int row, const QString &message) override
    {
        if (m_persons[row].refusal.isEmpty())
            m_persons[row].refusal = message;
    }
    void rejected(int row, const QString &reason) override
    {
        if (m_persons[row].refusal.isEmpty()) {
            m_persons[row].refusal = QString::fromLatin1(BatchScreening::Rejected);
            m_persons[row].reason = reason;
        }
    }
    int current() const { return m_current; }

private:
    QList<BatchScreening::Person> &m_persons;
    const BatchScreening::Progress &m_progress;
    int m_current = 0;
};

class BatchResults : public SearchResults
{
public:
    BatchResults(QList<BatchScreening::Person> &persons, const BatchRows &rows, const QString &listName)
        : m_persons(persons)
        , m_rows(rows)
        , m_listName(listName)
    {}

    void setFieldCount(int) override {}
    void setFieldNames(const QStringList &names) override { m_columns = BatchScreening::distinctNames(names); }
    void addRecord(const std::vector<std::optional<QString>> &fields) override
    {
        m_persons[m_rows.current()].matches.append({m_listName, m_columns, fields});
    }

private:
    QList<BatchScreening::Person> &m_persons;
    const BatchRows &m_rows;
    QString m_listName;
    QStringList m_columns;
};

} // namespace

QString BatchScreening::Person::status() const
{
    return refusal.isEmpty() ? ScreeningStatus::fromMarks(foreColor, backColor) : refusal;
}

bool BatchScreening::Person::needsAttention() const
{
    return status() != QLatin1String(ScreeningStatus::Cleared);
}

QStringList BatchScreening::distinctNames(const QStringList &names)
{
    // A name the list writes itself is never given to a repeated one: MISC, MISC, MISC_2 become MISC, MISC_3,
    // MISC_2.
    const QSet<QString> written(names.begin(), names.end());
    QSet<QString> used;
    QHash<QString, int> nextNumber; // where the numbering of a repeated name goes on
    QStringList out;
    for (const QString &name : names) {
        QString unique = name;
        if (used.contains(unique)) {
            int &n = nextNumber[name];
            n = std::max(n, 2);
            do
                unique = QStringLiteral("%1_%2").arg(name).arg(n++);
            while (used.contains(unique) || written.contains(unique));
        }
        used.insert(unique);
        out.append(unique);
    }
    return out;
}

BatchScreening::BatchScreening(const QList<NameQuery::Row> &names)
{
    for (const NameQuery::Row &name : names)
        m_persons.append({name, RowColors::Black, RowColors::White, QString(), QString(), {}, {}});
}

void BatchScreening::findNearMisses(double threshold, size_t limit)
{
    m_nearMissThreshold = threshold;
    m_nearMissLimit = limit;
}

bool BatchScreening::screen(const QString &listPath, TableCache &cache, QString *error, const Progress &progress)
{
    const QFileInfo list(listPath);
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!list.isFile() || !list.isReadable())
        return fail(QStringLiteral("The list %1 cannot be read.").arg(listPath));
    TextTableConnection connection(cache);
    std::shared_ptr<TextTable> table;
    try {
        // Read once, under its own name, so that a list that cannot be read is named as the operator knows it;
        // the statements name the working name, bound to these very bytes.
        table = cache.table(list.absoluteFilePath(), true);
        m_lists.append(ListIdentity::of(*table, list.fileName(), list.lastModified()));
        connection.open(NameQuery::connectionText(QDir::toNativeSeparators(list.absolutePath())));
        connection.bindTable(QString::fromLatin1(WatchListFile::WorkingName), list.absoluteFilePath(), table);
    } catch (const TextTableError &e) {
        return fail(QStringLiteral("error %1: %2").arg(e.number()).arg(e.message()));
    }
    BatchRows rows(m_persons, progress);
    BatchResults results(m_persons, rows, list.fileName());
    // The kind of list is read off its own name, as the window reads it off the selected file.
    QString failure;
    std::unique_ptr<NearMissIndex> index;
    std::unique_ptr<NearMissFinder> finder;
    SearchRun::Searched searched;
    const QStringList columns = distinctNames(table->columnNames());
    if (m_nearMissThreshold) {
        index = std::make_unique<NearMissIndex>(*table);
        finder = std::make_unique<NearMissFinder>(*table, *index, *m_nearMissThreshold);
        searched = [&](int row, const NameQuery::Row &written, const std::vector<uint64_t> &found) {
            m_persons[row].nearMisses += finder->records(written, found, list.fileName(), columns, m_nearMissLimit);
        };
    }
    RecordedSearch recorded(rows, results, m_mode, m_lists.last());
    const SearchRun::Outcome outcome = SearchRun::run(connection, list.fileName(), recorded.rows(), recorded.results(),
                                                      SearchRun::Refusals::Continue, &failure, searched);
    for (RecordedSearch::Visited &visited : recorded.visited(outcome)) {
        // A searched person's outcome is the status the marks give so far, as the output states it.
        if (visited.entry.match != QLatin1String(ScreeningEntry::Refused) &&
            visited.entry.match != QLatin1String(ScreeningEntry::Failed))
            visited.entry.outcome = m_persons[visited.row].status();
        m_entries.append(visited.entry);
    }
    if (outcome == SearchRun::Outcome::Failed)
        return fail(QStringLiteral("The list %1 could not be searched: %2").arg(listPath, failure));
    for (Person &person : m_persons) {
        std::stable_sort(person.nearMisses.begin(), person.nearMisses.end(),
                         [](const NearMatch &a, const NearMatch &b) { return a.score > b.score; });
    }
    return true;
}
