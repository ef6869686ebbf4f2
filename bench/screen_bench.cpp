// Benchmark of veyracheck-screen: 100,000 names against a generated No-Fly list of 1,000,000 records, then a
// Cleared list of 10,000 and a Selectee list of 100,000, end to end as a process (reading, three searches,
// CSV output). Run by hand: build/bench/screen_bench [names] [seed] [folder]
// With a folder, the lists and names are written there and kept (for profiling the tool on them).

#include "ListGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int names = argc > 1 ? atoi(argv[1]) : 100000;
    std::mt19937_64 rng(argc > 2 ? unsigned(atoi(argv[2])) : 20261205u);
    QTextStream out(stdout);

    QTemporaryDir temporary;
    const QDir dir(argc > 3 ? QString::fromLocal8Bit(argv[3]) : temporary.path());
    const Generated noFly = generate(dir.filePath("Veyra_No_Fly_Bench.csv"), QString(), 1000000, rng);
    const Generated cleared = generate(dir.filePath("Veyra_Cleared_Bench.csv"), QString(), 10000, rng);
    const Generated selectee = generate(dir.filePath("Veyra_Selectee_Bench.csv"), QString(), 100000, rng);

    // About one name in ten is on the No-Fly list, one in fifty on the Selectee list; the rest are not listed.
    QFile csv(dir.filePath("names.csv"));
    if (!csv.open(QIODevice::WriteOnly))
        return 1;
    QTextStream names_out(&csv);
    for (int i = 0; i < names; ++i) {
        const std::vector<Person> &pool = i % 50 == 0 ? selectee.sample : noFly.sample;
        Person p = pool[rng() % pool.size()];
        if (i % 10 != 0 && i % 50 != 0)
            p.first += QStringLiteral("XQ");
        names_out << '"' << p.last << "\",\"" << (p.middle.isEmpty() ? p.first : p.first + u' ' + p.middle) << "\",\""
                  << p.dobTyped << "\",\"" << p.passport << "\"\r\n";
    }
    names_out.flush();
    csv.close();
    out << QStringLiteral("lists: %1 + %2 + %3 MB; %4 names\n")
               .arg(noFly.bytes / 1e6, 0, 'f', 1)
               .arg(cleared.bytes / 1e6, 0, 'f', 1)
               .arg(selectee.bytes / 1e6, 0, 'f', 1)
               .arg(names);

    for (int run = 1; run <= 3; ++run) {
        QProcess screen;
        QElapsedTimer timer;
        timer.start();
        screen.start(QCoreApplication::applicationDirPath() + "/../tools/veyracheck-screen",
                     {"--names", dir.filePath("names.csv"), "--list", dir.filePath("Veyra_No_Fly_Bench.csv"), "--list",
                      dir.filePath("Veyra_Cleared_Bench.csv"), "--list", dir.filePath("Veyra_Selectee_Bench.csv"),
                      "--output", dir.filePath("out.csv")});
        screen.waitForFinished(-1);
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        QFile result(dir.filePath("out.csv"));
        result.open(QIODevice::ReadOnly);
        const QByteArray text = result.readAll();
        out << QStringLiteral("run %1: %2 ms, exit %3, %4 output lines, %5 NO FLY, %6 SSSS\n")
                   .arg(run)
                   .arg(ms, 0, 'f', 0)
                   .arg(screen.exitCode())
                   .arg(text.count('\n'))
                   .arg(text.count(",NO FLY,"))
                   .arg(text.count(",SSSS,"));
        out.flush();
    }
    return 0;
}
