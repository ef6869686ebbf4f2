// Benchmark of the screening record: what recording 1000 grid-mode rows adds to their search. The same search of
// 1000 imported names against a generated No-Fly list runs plain and recorded (the rows passed through
// RecordedSearch, then one append under the file's lock, flushed to disk), medians of five. Run by hand:
//   build/bench/record_bench [rows] [names] [seed]

#include "ListGenerator.h"
#include "audit/ScreeningRecord.h"
#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableConnection.h"
#include "search/NameQuery.h"
#include "search/RecordedSearch.h"
#include "search/SearchRun.h"
#include "search/WatchListFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

namespace {

// The imported-names grid without a window: its texts and its colours.
class GridRows : public SearchRows
{
public:
    explicit GridRows(const QList<NameQuery::Row> &names)
        : m_names(names)
        , m_fore(names.size(), RowColors::Black)
    {}
    bool gridMode() const override { return true; }
    int lastRow() const override { return int(m_names.size()) - 1; }
    void startRow(int) override {}
    void resetBackground(int) override {}
    bool isRed(int row) const override { return m_fore[row] == RowColors::Red; }
    bool isTicked(int) const override { return true; }
    bool dateRuleApplies(int) const override { return true; }
    NameQuery::Row texts(int row) const override { return m_names[row]; }
    void writeBack(int row, const NameQuery::Row &written) override { m_names[row] = written; }
    void mark(int row, const RowMarks &marks) override { m_fore[row] = marks.fore; }
    void refused(int, const QString &) override {}

private:
    QList<NameQuery::Row> m_names;
    QList<Rgb> m_fore;
};

class CountedResults : public SearchResults
{
public:
    void setFieldCount(int) override {}
    void addRecord(const std::vector<std::optional<QString>> &) override { ++records; }
    int records = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 1000000;
    const int count = argc > 2 ? atoi(argv[2]) : 1000;
    std::mt19937_64 rng(argc > 3 ? unsigned(atoi(argv[3])) : 20261206u);
    QTextStream out(stdout);

    QTemporaryDir lists, data;
    const Generated list = generate(lists.filePath("Veyra_No_Fly_Bench.csv"), QString(), rows, rng);
    QFile::link(lists.filePath("Veyra_No_Fly_Bench.csv"), lists.filePath(WatchListFile::WorkingName));
    QList<NameQuery::Row> names;
    for (int i = 0; i < count; ++i) {
        Person p = list.sample[rng() % list.sample.size()];
        if (i % 2 == 1)
            p.first += QStringLiteral("XQ"); // not on the list
        names.append({p.last, p.middle.isEmpty() ? p.first : p.first + u' ' + p.middle, p.dobTyped, p.passport});
    }
    out << QStringLiteral("list: %1 records, %2 MB; %3 imported names, about half on the list\n")
               .arg(rows)
               .arg(list.bytes / 1e6, 0, 'f', 1)
               .arg(count);

    TableCache cache;
    cache.setKeyColumns({QString::fromLatin1(NameQuery::KeyColumn)});
    TextTableConnection connection(cache);
    connection.open(NameQuery::connectionText(QDir::toNativeSeparators(lists.path())));
    const auto table = cache.table(lists.filePath(WatchListFile::WorkingName), true);
    const ListIdentity identity =
        ListIdentity::of(*table, QStringLiteral("Veyra_No_Fly_Bench.csv"), QDateTime::currentDateTime());
    const ScreeningRecord record(data.path());

    std::vector<double> plain, recorded, appendOnly;
    qsizetype lines = 0;
    for (int run = 0; run < 5; ++run) {
        {
            GridRows grid(names);
            CountedResults results;
            QElapsedTimer timer;
            timer.start();
            SearchRun::run(connection, QStringLiteral("Veyra_No_Fly_Bench.csv"), grid, results);
            plain.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        {
            GridRows grid(names);
            CountedResults results;
            QElapsedTimer timer;
            timer.start();
            RecordedSearch recording(grid, results, QString::fromLatin1(ScreeningEntry::GridMode), identity);
            const SearchRun::Outcome outcome = SearchRun::run(connection, QStringLiteral("Veyra_No_Fly_Bench.csv"),
                                                              recording.rows(), recording.results());
            QList<ScreeningEntry> entries;
            for (const RecordedSearch::Visited &v : recording.visited(outcome))
                entries.append(v.entry);
            const qint64 searched = timer.nsecsElapsed();
            if (!record.append(entries).ok) {
                out << "the record could not be written\n";
                return 1;
            }
            recorded.push_back(double(timer.nsecsElapsed()) / 1e6);
            appendOnly.push_back(double(timer.nsecsElapsed() - searched) / 1e6);
            lines = entries.size();
        }
    }
    const double added = median(recorded) - median(plain);
    out << QStringLiteral("search of %1 grid rows, medians of 5: plain %2 ms, recorded %3 ms; recording adds %4 ms "
                          "(the append of %5 lines, flushed to disk: %6 ms)\n")
               .arg(count)
               .arg(median(plain), 0, 'f', 1)
               .arg(median(recorded), 0, 'f', 1)
               .arg(added, 0, 'f', 1)
               .arg(lines)
               .arg(median(appendOnly), 0, 'f', 1);

    // An append reads only the record's last line, so a record of a year's searches costs it no more.
    const auto sameEntries = [&](const char *match, const char *outcome, const QStringList &records) {
        return QList<ScreeningEntry>(count,
                                     ScreeningEntry{QString::fromLatin1(ScreeningEntry::GridMode), identity.file,
                                                    identity.records, identity.sha256, "LASTNAME", "FIRST MIDDLE",
                                                    "1/2/1960", "P1234567", match, outcome, records});
    };
    for (int i = 0; i < 100; ++i)
        record.append(sameEntries(ScreeningEntry::NoMatch, "black", {}), "bench", "bench");
    std::vector<double> bigAppend;
    for (int run = 0; run < 5; ++run) {
        const QList<ScreeningEntry> entries = sameEntries(ScreeningEntry::Matched, "red", {"123456"});
        QElapsedTimer timer;
        timer.start();
        record.append(entries, "bench", "bench");
        bigAppend.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    QElapsedTimer verifyTimer;
    verifyTimer.start();
    const ScreeningRecord::Check check = record.verify();
    out << QStringLiteral("append of %1 lines to a record of %2 lines (%3 MB): %4 ms, median of 5; verify of the "
                          "whole record: %5 ms, %6\n")
               .arg(count)
               .arg(check.lines - count)
               .arg(double(QFileInfo(record.path()).size()) / 1e6, 0, 'f', 1)
               .arg(median(bigAppend), 0, 'f', 1)
               .arg(double(verifyTimer.nsecsElapsed()) / 1e6, 0, 'f', 0)
               .arg(check.whole ? QStringLiteral("whole") : QStringLiteral("NOT whole"));
    return 0;
}
