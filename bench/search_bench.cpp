// Benchmark of a grid-mode search in the main window (offscreen): 1000 imported names against a generated
// No-Fly list of 1,000,000 records, end to end from the press of Search to the summary. Run by hand:
//   build/bench/search_bench [rows] [names] [seed]

#include "ListGenerator.h"
#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/Label.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? atoi(argv[1]) : 1000000;
    const int names = argc > 2 ? atoi(argv[2]) : 1000;
    std::mt19937_64 rng(argc > 3 ? unsigned(atoi(argv[3])) : 20261205u);
    QTextStream out(stdout);

    QTemporaryDir data;
    const Generated list = generate(data.filePath("Veyra_No_Fly_Bench.csv"), QString(), rows, rng);
    out << QStringLiteral("list: %1 records, %2 MB; %3 imported names, about half on the list\n")
               .arg(rows)
               .arg(list.bytes / 1e6, 0, 'f', 1)
               .arg(names);

    VeyraModule1 module(data.path());
    VeyraForm1 &window = module.mainWindow();
    window.Form_Load();
    auto *grid = window.findChild<FlexGrid *>("MSFlexGrid2");
    auto *progress = window.findChild<QProgressBar *>("ProgressBar1");
    auto *status = window.findChild<Label *>("Label3");
    auto *results = window.findChild<FlexGrid *>("MSFlexGrid1");
    grid->setCols(4);
    grid->setRows(1001);
    for (int i = 0; i < names; ++i) {
        Person p = list.sample[rng() % list.sample.size()];
        if (i % 2 == 1)
            p.first += QStringLiteral("XQ"); // not on the list
        grid->setTextMatrix(i, 0, p.last);
        grid->setTextMatrix(i, 1, p.middle.isEmpty() ? p.first : p.first + u' ' + p.middle);
        grid->setTextMatrix(i, 2, p.dobTyped);
        grid->setTextMatrix(i, 3, p.passport);
    }
    grid->show();
    progress->show();
    // The click on the list reads it, so that the first search finds it parsed: timed too.
    QElapsedTimer selection;
    selection.start();
    window.File1_Click(QStringLiteral("Veyra_No_Fly_Bench.csv"));
    out << QStringLiteral("list selected (read from disk): %1 ms\n")
               .arg(double(selection.nsecsElapsed()) / 1e6, 0, 'f', 1);

    int progressSteps = 0;
    QObject::connect(progress, &QProgressBar::valueChanged, [&] { ++progressSteps; });
    for (const char *run : {"first search (list read at selection, index built now)", "second search (list cached)"}) {
        progressSteps = 0;
        QElapsedTimer timer;
        timer.start();
        window.Command1_Click();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        int red = 0;
        for (int i = 0; i < names; ++i)
            red += grid->cellForeColor(i, 0) == QColor(255, 0, 0);
        out << QStringLiteral("%1: %2 ms; %8 records shown; progress bar advanced %3 times to %4 of %5; %6 rows red; "
                              "\"%7\"\n")
                   .arg(QLatin1String(run))
                   .arg(ms, 0, 'f', 1)
                   .arg(progressSteps)
                   .arg(progress->value())
                   .arg(progress->maximum())
                   .arg(red)
                   .arg(status->text())
                   .arg(results->rows() - 1);
        out.flush();
    }
    return 0;
}
