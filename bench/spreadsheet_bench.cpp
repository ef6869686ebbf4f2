// Benchmark of the spreadsheet import: "Open" on a 1000-row sheet in the import window (offscreen), end to end
// from the press to the filled grid, helper process and LibreOffice included. Run by hand:
//   bench/spreadsheet.sh            or            build/bench/spreadsheet_bench FILE [runs]

#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "lists/VeyraExcelImport.h"
#include "platform/widgets/FlexGrid.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc < 2) {
        out << "usage: spreadsheet_bench FILE [runs]\n";
        return 2;
    }
    const QFileInfo file(QString::fromLocal8Bit(argv[1]));
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 9;

    QTemporaryDir data;
    VeyraModule1 module(data.path());
    module.setSpreadsheetHelper(QCoreApplication::applicationDirPath() + "/../src/veyracheck-sheet");
    VeyraForm1 &window = module.mainWindow();
    window.Form_Load();
    auto *grid = window.findChild<FlexGrid *>("MSFlexGrid2");

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        module.SpreadsheetFolder = file.absolutePath();
        window.findChild<QAction *>("FromExcel")->trigger();
        VeyraExcelImport *import = module.existingExcelImportWindow();
        import->File1_Click(file.fileName());
        QElapsedTimer timer;
        timer.start();
        import->Command1_Click(1);
        times.push_back(timer.nsecsElapsed() / 1e6);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (grid->textMatrix(999, 0).isEmpty()) {
            out << "the grid was not filled\n";
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    out << QStringLiteral("%1 (%2 KB), %3 runs: Open to filled grid min %4 ms, median %5 ms, max %6 ms\n")
               .arg(file.fileName())
               .arg(file.size() / 1024)
               .arg(runs)
               .arg(times.front(), 0, 'f', 1)
               .arg(times[times.size() / 2], 0, 'f', 1)
               .arg(times.back(), 0, 'f', 1);
    return 0;
}
