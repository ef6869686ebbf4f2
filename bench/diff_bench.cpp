// Benchmark of veyracheck-lists diff: two versions of a generated No-Fly list of 1,000,000 records, the newer with
// 1000 records changed, 1000 removed and 1000 added, compared end to end as a process (reading both, matching by
// SID, CSV output), then two versions of one record of 200,000 fields. Run by hand: build/bench/diff_bench [rows]
// [seed]

#include "ListGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 1000000;
    std::mt19937_64 rng(argc > 2 ? unsigned(atoi(argv[2])) : 20261206u);
    QTextStream out(stdout);

    QTemporaryDir temporary;
    const QDir dir(temporary.path());
    const Generated old = generate(dir.filePath("old.csv"), QString(), rows, rng);

    // The new version: every 1000th record changed in its passport, the one after it removed, and 1000 new ones
    // (copies of removed records under new SIDs) at the end.
    QFile in(dir.filePath("old.csv")), changed(dir.filePath("new.csv"));
    if (!in.open(QIODevice::ReadOnly) || !changed.open(QIODevice::WriteOnly))
        return 1;
    QList<QByteArray> lines = in.readAll().split('\n');
    QByteArray next;
    next.reserve(qsizetype(old.bytes) + 100000);
    QList<QByteArray> removed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        if (i > 0 && i % 1000 == 1) {
            removed.append(lines[i]);
            continue;
        }
        if (i > 0 && i % 1000 == 0)
            lines[i].insert(lines[i].indexOf(',') + 1, 'X'); // the SID stays, the second field changes
        next += lines[i] + '\n';
    }
    for (qsizetype k = 0; k < removed.size(); ++k)
        next += QByteArray::number(900000000 + k) + removed[k].mid(removed[k].indexOf(',')) + '\n';
    changed.write(next);
    changed.close();
    out << QStringLiteral("lists: %1 MB, %2 records; %3 removed\n")
               .arg(old.bytes / 1e6, 0, 'f', 1)
               .arg(rows)
               .arg(removed.size());

    // Runs the tool over two lists in the folder, its output into diff.csv; returns the time in ms.
    const auto diffOf = [&dir](const QString &oldName, const QString &newName, int *status) {
        QProcess diff;
        diff.setStandardOutputFile(dir.filePath("diff.csv"));
        QElapsedTimer timer;
        timer.start();
        diff.start(QCoreApplication::applicationDirPath() + "/../tools/veyracheck-lists",
                   {"diff", dir.filePath(oldName), dir.filePath(newName)});
        diff.waitForFinished(-1);
        *status = diff.exitCode();
        return double(timer.nsecsElapsed()) / 1e6;
    };
    QList<double> times;
    for (int run = 1; run <= 3; ++run) {
        int status = 0;
        times.append(diffOf("old.csv", "new.csv", &status));
        QFile result(dir.filePath("diff.csv"));
        result.open(QIODevice::ReadOnly);
        const QByteArray text = result.readAll();
        out << QStringLiteral("run %1: %2 ms, exit %3, %4 changed, %5 added, %6 removed lines\n")
                   .arg(run)
                   .arg(times.last(), 0, 'f', 0)
                   .arg(status)
                   .arg(text.count("\nchanged,"))
                   .arg(text.count("\nadded,"))
                   .arg(text.count("\nremoved,"));
        out.flush();
    }
    std::sort(times.begin(), times.end());
    out << QStringLiteral("median: %1 ms\n").arg(times[1], 0, 'f', 0);

    // One record of 200,000 fields beyond its header, one of them changed: the time grows with the record's size,
    // not with its square.
    QByteArrayList fields(200000, "x");
    const auto writeWide = [&](const QString &name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write("SID,LASTNAME\n1,ROE," + fields.join(',') + "\n") > 0;
    };
    if (!writeWide("wide-old.csv"))
        return 1;
    fields[100000] = "y";
    if (!writeWide("wide-new.csv"))
        return 1;
    QList<double> wide;
    for (int run = 1; run <= 3; ++run) {
        int status = 0;
        wide.append(diffOf("wide-old.csv", "wide-new.csv", &status));
    }
    std::sort(wide.begin(), wide.end());
    out << QStringLiteral("one record of 200,000 fields beyond its header: median %1 ms\n").arg(wide[1], 0, 'f', 0);
    return 0;
}
