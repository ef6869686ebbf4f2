// Benchmark of the text-table engine on a generated watch list of 1,000,000 records and 1000 statements in the
// shapes the search builds, against Debian's sqlite3 on the same data. Run by hand:
//   build/bench/engine_bench [rows] [statements] [seed] [folder]
// With a folder, the list and statements are written there and kept: build/bench/engine_bench --engine FOLDER 1000
// then runs the engine's part alone (for profiling).

#include "ListGenerator.h"
#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableRecordSet.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

struct Statement
{
    QString engine, sqlite;
};

QString q(const QString &s)
{
    return u'\'' + s + u'\'';
}

// The five shapes of the search's statements; about half are built from records of the list, so they match.
std::vector<Statement> statements(const Generated &data, int count, std::mt19937_64 &rng)
{
    std::vector<Statement> out;
    const QString select = QStringLiteral("SELECT * FROM Veyra.csv WHERE ");
    const QString sqliteSelect =
        QStringLiteral("SELECT coalesce(group_concat(SID, ' '), '') FROM (SELECT SID FROM t WHERE ");
    for (int i = 0; i < count; ++i) {
        Person p = data.sample[rng() % data.sample.size()];
        if (i % 2 == 1)
            p.first = p.first + QStringLiteral("XQ"); // no such first name: no match
        if (p.dobTyped.isEmpty())
            p.dobTyped = QStringLiteral("1/1/1950");
        QStringList e{QStringLiteral("LASTNAME=") + q(p.last)};
        QStringList s{QStringLiteral("LASTNAME=%1 COLLATE NOCASE").arg(q(p.last))};
        switch (i % 10) {
        case 0:
        case 1: // last name only
            if (i % 2 == 1) {
                e[0] = QStringLiteral("LASTNAME=") + q(p.last + "XQ");
                s[0] = QStringLiteral("LASTNAME=%1 COLLATE NOCASE").arg(q(p.last + "XQ"));
            }
            break;
        case 2:
        case 3:
        case 4: // prefix matching
            e << QStringLiteral("FIRSTNAME LIKE ") + q(p.first + "%");
            s << QStringLiteral("FIRSTNAME LIKE ") + q(p.first + "%");
            if (!p.middle.isEmpty()) {
                e << QStringLiteral("MIDDLENAME LIKE ") + q(p.middle.left(3) + "%");
                s << QStringLiteral("MIDDLENAME LIKE ") + q(p.middle.left(3) + "%");
            }
            break;
        case 5:
        case 6: // exact matching, as on a Cleared list
            e << QStringLiteral("FIRSTNAME = ") + q(p.first) << QStringLiteral("MIDDLENAME = ") + q(p.middle);
            s << QStringLiteral("FIRSTNAME = %1 COLLATE NOCASE").arg(q(p.first))
              << QStringLiteral("MIDDLENAME = %1 COLLATE NOCASE").arg(q(p.middle));
            break;
        case 7:
        case 8: // with the passport
            e << QStringLiteral("FIRSTNAME LIKE ") + q(p.first + "%")
              << QStringLiteral("[PASSPORT/IDNUMBER]=") + q(p.passport.isEmpty() ? "P0" : p.passport);
            s << QStringLiteral("FIRSTNAME LIKE ") + q(p.first + "%")
              << QStringLiteral("\"PASSPORT/IDNUMBER\"=") + q(p.passport.isEmpty() ? "P0" : p.passport);
            break;
        default: // with the date of birth
            e << QStringLiteral("FIRSTNAME LIKE ") + q(p.first + "%") << QStringLiteral("DOB=#%1#").arg(p.dobTyped);
            s << QStringLiteral("FIRSTNAME LIKE ") + q(p.first + "%")
              << QStringLiteral("DOBISO=") + q(p.dob.isValid() ? isoDate(p.dob) : QStringLiteral("1950-01-01"));
            break;
        }
        out.push_back({select + e.join(QStringLiteral(" AND ")),
                       sqliteSelect + s.join(QStringLiteral(" AND ")) + QStringLiteral(" ORDER BY rowid);")});
    }
    return out;
}

struct Run
{
    double totalMs = 0;
    std::vector<double> perStatementMs;
    QStringList results; // the SIDs of each statement, space-separated
};

// Runs every statement and reads every field of every record, as the search's result grid does.
Run runEngine(TableCache &cache, const QString &folder, const std::vector<Statement> &all)
{
    Run run;
    QElapsedTimer total;
    total.start();
    TextTableConnection connection(cache);
    connection.open(TextTableConnection::connectionText(folder, true));
    for (const Statement &s : all) {
        QElapsedTimer one;
        one.start();
        TextTableRecordSet records;
        records.open(s.engine, connection);
        QStringList sids;
        for (; !records.eof(); records.moveNext()) {
            for (int j = 0; j < records.fieldCount(); ++j) {
                const auto value = records.value(j);
                if (j == 0)
                    sids << value.value_or(QString());
            }
        }
        records.close();
        run.perStatementMs.push_back(double(one.nsecsElapsed()) / 1e6);
        run.results << sids.join(u' ');
    }
    connection.close();
    run.totalMs = double(total.nsecsElapsed()) / 1e6;
    return run;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

// The engine's part, run in a child process so that its peak memory is the engine's alone.
int runEngineOnly(const QString &folder, int count)
{
    QTextStream out(stdout);
    QFile file(folder + QStringLiteral("/statements.txt"));
    file.open(QIODevice::ReadOnly);
    std::vector<Statement> all;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            all.push_back({QString::fromUtf8(line), QString()});
    }
    all.resize(std::min(all.size(), size_t(count)));
    const QString listPath = folder + QStringLiteral("/Veyra.csv");

    // The yardstick: the cached file read into memory that a read of it touched already, which costs no page
    // faults. (Memory filled with one byte value is not enough: a host may merge such pages.)
    double touchedReadMs = 0;
    {
        QFile list(listPath);
        list.open(QIODevice::ReadOnly);
        QByteArray buffer(list.size(), Qt::Uninitialized);
        list.read(buffer.data(), buffer.size());
        list.seek(0);
        QElapsedTimer timer;
        timer.start();
        list.read(buffer.data(), buffer.size());
        touchedReadMs = double(timer.nsecsElapsed()) / 1e6;
    }
    double parseMs = 0, openMs = 0;
    struct rusage beforeOpen, afterOpen;
    getrusage(RUSAGE_SELF, &beforeOpen);
    {
        // Open: parse and build the last-name index, as the first statement does.
        TableCache openCache;
        openCache.setKeyColumns({QStringLiteral("LASTNAME")}); // as the program sets its cache
        openCache.setHashWhileReading(false);                  // as the query tool does
        QElapsedTimer timer;
        timer.start();
        auto table = openCache.table(listPath, true);
        parseMs = double(timer.nsecsElapsed()) / 1e6;
        table->candidates(table->columnIndex(QStringLiteral("LASTNAME")), "x");
        openMs = double(timer.nsecsElapsed()) / 1e6;
        getrusage(RUSAGE_SELF, &afterOpen);
    }
    TableCache cache;
    cache.setKeyColumns({QStringLiteral("LASTNAME")});
    cache.setHashWhileReading(false);
    const Run cold = runEngine(cache, folder, all);
    const Run warm = runEngine(cache, folder, all);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);

    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    out << QStringLiteral("engine open (parse %1 ms + index): %2 ms\n").arg(parseMs, 0, 'f', 1).arg(openMs, 0, 'f', 1);
    out << QStringLiteral("open: %1 minor and %2 major page faults, %3 ms system time, %4 ms user time (all "
                          "threads); the file read into touched memory: %5 ms\n")
               .arg(afterOpen.ru_minflt - beforeOpen.ru_minflt)
               .arg(afterOpen.ru_majflt - beforeOpen.ru_majflt)
               .arg(ms(afterOpen.ru_stime) - ms(beforeOpen.ru_stime), 0, 'f', 1)
               .arg(ms(afterOpen.ru_utime) - ms(beforeOpen.ru_utime), 0, 'f', 1)
               .arg(touchedReadMs, 0, 'f', 1);
    out << QStringLiteral("engine %1 statements cold (with the load): %2 ms; warm: %3 ms\n")
               .arg(all.size())
               .arg(cold.totalMs, 0, 'f', 1)
               .arg(warm.totalMs, 0, 'f', 1);
    out << QStringLiteral("per statement (warm) p50 %1 ms, p95 %2 ms, p99 %3 ms\n")
               .arg(percentile(warm.perStatementMs, 0.50), 0, 'f', 3)
               .arg(percentile(warm.perStatementMs, 0.95), 0, 'f', 3)
               .arg(percentile(warm.perStatementMs, 0.99), 0, 'f', 3);
    out << QStringLiteral("peak memory: %1 MB\n").arg(double(usage.ru_maxrss) / 1024.0, 0, 'f', 1);
    out << QStringLiteral("cold total ms: %1\n").arg(cold.totalMs, 0, 'f', 3);
    out << QStringLiteral("warm total ms: %1\n").arg(warm.totalMs, 0, 'f', 3);
    out << QStringLiteral("open total ms: %1\n").arg(openMs, 0, 'f', 3);
    QFile results(folder + QStringLiteral("/engine-results.txt"));
    results.open(QIODevice::WriteOnly);
    for (int i = 0; i < cold.results.size(); ++i) {
        const QString r = warm.results[i] == cold.results[i] ? cold.results[i] : QStringLiteral("warm differs");
        results.write(r.toUtf8() + "\n");
    }
    return 0;
}

// Opening a list as the window does (its last-name keys read on the way, its SHA-256 made while it is read), in
// a process of its own.
int openOnly(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    TableCache cache;
    cache.setKeyColumns({QStringLiteral("LASTNAME")});
    auto table = cache.table(path, true);
    table->candidates(table->columnIndex(QStringLiteral("LASTNAME")), "x");
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    QTextStream(stdout) << ms << " " << double(usage.ru_maxrss) / 1024.0 << "\n";
    return table->sha256().size() == 64 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--engine")
        return runEngineOnly(QString::fromLocal8Bit(argv[2]), atoi(argv[3]));
    if (argc == 3 && QByteArray(argv[1]) == "--open")
        return openOnly(QString::fromLocal8Bit(argv[2]));
    const int rows = argc > 1 ? atoi(argv[1]) : 1000000;
    const int count = argc > 2 ? atoi(argv[2]) : 1000;
    const unsigned seed = argc > 3 ? unsigned(atoi(argv[3])) : 20261205u;
    std::mt19937_64 rng(seed);
    QTextStream out(stdout);

    QTemporaryDir temporary;
    const QDir dir(argc > 4 ? QString::fromLocal8Bit(argv[4]) : temporary.path());
    const QString listPath = dir.filePath("Veyra.csv"), sqliteCsv = dir.filePath("sqlite.csv");
    const Generated data = generate(listPath, sqliteCsv, rows, rng);
    const std::vector<Statement> all = statements(data, count, rng);
    out << QStringLiteral("list: %1 records, %2 MB; %3 statements\n")
               .arg(rows)
               .arg(data.bytes / 1e6, 0, 'f', 1)
               .arg(count);
    out.flush();
    {
        QFile file(dir.filePath("statements.txt"));
        file.open(QIODevice::WriteOnly);
        for (const Statement &s : all)
            file.write(s.engine.toUtf8() + "\n");
    }

    // Three runs of the engine, each a process of its own (cold means a fresh process); medians are reported.
    std::vector<double> colds, warms, opens, peaks;
    QString report;
    for (int run = 0; run < 3; ++run) {
        QProcess engine;
        engine.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        engine.start(QCoreApplication::applicationFilePath(), {"--engine", dir.path(), QString::number(count)});
        if (!engine.waitForFinished(600000) || engine.exitCode() != 0) {
            out << "the engine run failed\n";
            return 1;
        }
        report = QString::fromUtf8(engine.readAllStandardOutput());
        for (const QString &line : report.split(u'\n')) {
            if (line.startsWith(u"cold total ms: "))
                colds.push_back(line.mid(15).toDouble());
            else if (line.startsWith(u"warm total ms: "))
                warms.push_back(line.mid(15).toDouble());
            else if (line.startsWith(u"open total ms: "))
                opens.push_back(line.mid(15).toDouble());
            else if (line.startsWith(u"peak memory: "))
                peaks.push_back(line.mid(13).section(u' ', 0, 0).toDouble());
        }
    }
    for (const QString &line : report.split(u'\n')) {
        if (!line.isEmpty() && !line.contains(u"total ms: "))
            out << line << "\n"; // the last run's details
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double coldMs = median(colds), peakMb = median(peaks);
    out << QStringLiteral("medians of 3 runs: open %1 ms, cold %2 ms, warm %3 ms\n")
               .arg(median(opens), 0, 'f', 1)
               .arg(coldMs, 0, 'f', 1)
               .arg(median(warms), 0, 'f', 1);
    out << QStringLiteral("peak memory / file size: %1\n").arg(peakMb * 1048576.0 / double(data.bytes), 0, 'f', 2);
    QFile engineResults(dir.filePath("engine-results.txt"));
    engineResults.open(QIODevice::ReadOnly);
    const QStringList results = QString::fromUtf8(engineResults.readAll()).split(u'\n');

    QFile script(dir.filePath("script.sql"));
    script.open(QIODevice::WriteOnly);
    script.write(QStringLiteral(".mode csv\n.import %1 t\nCREATE INDEX last ON t(LASTNAME COLLATE NOCASE);\n"
                                ".mode list\n")
                     .arg(sqliteCsv)
                     .toUtf8());
    for (const Statement &s : all)
        script.write(s.sqlite.toUtf8() + "\n");
    script.close();
    QProcess sqlite;
    sqlite.setStandardInputFile(script.fileName());
    QElapsedTimer timer;
    timer.start();
    sqlite.start(QStringLiteral("sqlite3"), {QStringLiteral(":memory:")});
    if (!sqlite.waitForFinished(600000) || sqlite.exitCode() != 0) {
        out << "sqlite3 failed: " << sqlite.readAllStandardError() << "\n";
        return 1;
    }
    const double sqliteMs = double(timer.nsecsElapsed()) / 1e6;
    const QStringList sqliteResults = QString::fromUtf8(sqlite.readAllStandardOutput()).split(u'\n');

    int differences = 0, matching = 0;
    for (int i = 0; i < count; ++i) {
        matching += !results.value(i).isEmpty();
        if (sqliteResults.value(i) != results.value(i) && ++differences <= 3)
            out << "differs: " << all[size_t(i)].engine << "\n  engine: " << results.value(i).left(80)
                << "\n  sqlite: " << sqliteResults.value(i).left(80) << "\n";
    }
    out << QStringLiteral("statements with records: %1 of %2; results equal to sqlite3's: %3\n")
               .arg(matching)
               .arg(count)
               .arg(differences == 0 ? QStringLiteral("yes") : QStringLiteral("NO, %1 differ").arg(differences));
    out << QStringLiteral("sqlite3 (import + index + statements): %1 ms; sqlite3 / engine cold: %2\n")
               .arg(sqliteMs, 0, 'f', 1)
               .arg(sqliteMs / coldMs, 0, 'f', 1);

    // A list the size of a real No-Fly file, opened as the window opens it.
    const int bigRows = rows * 8 / 5;
    const Generated big = generate(dir.filePath("Veyra_Big.csv"), QString(), bigRows, rng);
    std::vector<double> bigOpens, bigPeaks;
    for (int run = 0; run < 3; ++run) {
        QProcess open;
        open.start(QCoreApplication::applicationFilePath(), {"--open", dir.filePath("Veyra_Big.csv")});
        if (!open.waitForFinished(600000) || open.exitCode() != 0) {
            out << "the open of the larger list failed\n";
            return 1;
        }
        const QList<QByteArray> figures = open.readAllStandardOutput().simplified().split(' ');
        bigOpens.push_back(figures.value(0).toDouble());
        bigPeaks.push_back(figures.value(1).toDouble());
    }
    out << QStringLiteral("%1 records (%2 MB), opened as the window does: %3 ms, peak memory / file size %4 "
                          "(medians of 3)\n")
               .arg(bigRows)
               .arg(big.bytes / 1e6, 0, 'f', 1)
               .arg(median(bigOpens), 0, 'f', 1)
               .arg(median(bigPeaks) * 1048576.0 / double(big.bytes), 0, 'f', 2);
    return differences == 0 ? 0 : 1;
}
