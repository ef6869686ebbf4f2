// Benchmark of the spreadsheet import, per file: the read alone (file to rows), "Open" in the import window to the
// filled grid (offscreen), and the read's peak memory beside the file's size. Run by hand:
//   bench/spreadsheet.sh            or            build/bench/spreadsheet_bench FILE... [--runs N]
//   build/bench/spreadsheet_bench --show FILE     prints what the import reads from FILE, or why it refuses it

#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "lists/VeyraExcelImport.h"
#include "platform/files/SpreadsheetReader.h"
#include "platform/widgets/FlexGrid.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The figures of the reader this one replaced (LibreOffice in a helper process), 1000 rows, Open to filled grid,
// median of 5 on this machine.
struct OldFigure
{
    const char *suffix;
    double medianMs;
};
constexpr OldFigure OldHelper[] = {{"xls", 1108}, {"xlsx", 1234}, {"ods", 1334}, {"csv", 0.5}};

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Peak memory the read adds, measured in a child of its own so that earlier reads do not hide it.
long readPeakKb(const QString &file)
{
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const long before = maxRssKb();
        const SpreadsheetReader::Result read = SpreadsheetReader::read(file);
        long grown = read.ok ? maxRssKb() - before : -1;
        if (write(channel[1], &grown, sizeof grown) != sizeof grown)
            _exit(1);
        _exit(0);
    }
    close(channel[1]);
    long grown = -1;
    if (read(channel[0], &grown, sizeof grown) != sizeof grown)
        grown = -1;
    close(channel[0]);
    waitpid(child, nullptr, 0);
    return grown;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int show(const QString &file)
{
    QTextStream out(stdout);
    const SpreadsheetReader::Result read = SpreadsheetReader::read(file, 0);
    if (!read.ok) {
        out << "refused: " << read.error << "\n";
        return 1;
    }
    out << "sheet: " << read.sheet << "\n";
    for (const QStringList &row : read.rows)
        out << row.join(u'\t') << "\n";
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QTextStream out(stdout);
    if (argc == 3 && qstrcmp(argv[1], "--show") == 0)
        return show(QString::fromLocal8Bit(argv[2]));
    QStringList files;
    int runs = 9;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, atoi(argv[++i]));
        else
            files.append(QString::fromLocal8Bit(argv[i]));
    }
    if (files.isEmpty()) {
        out << "usage: spreadsheet_bench FILE... [--runs N]   or   spreadsheet_bench --show FILE\n";
        return 2;
    }

    // Memory first, before any window exists, each read in a child process.
    std::vector<long> peaks;
    for (const QString &file : files)
        peaks.push_back(readPeakKb(file));

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir data;
    VeyraModule1 module(data.path());
    VeyraForm1 &window = module.mainWindow();
    window.Form_Load();
    auto *grid = window.findChild<FlexGrid *>("MSFlexGrid2");

    out << "| file | size | read (median) | Open to filled grid (min / median / max) | read's peak memory | old "
           "helper, Open to grid (median) |\n|---|---|---|---|---|---|\n";
    for (qsizetype f = 0; f < files.size(); ++f) {
        const QFileInfo file(files[f]);
        std::vector<double> reads;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const SpreadsheetReader::Result read = SpreadsheetReader::read(file.filePath());
            reads.push_back(timer.nsecsElapsed() / 1e6);
            if (!read.ok) {
                out << file.fileName() << " was refused: " << read.error << "\n";
                return 1;
            }
        }
        std::vector<double> opens;
        for (int run = 0; run < runs; ++run) {
            module.SpreadsheetFolder = file.absolutePath();
            window.findChild<QAction *>("FromExcel")->trigger();
            VeyraExcelImport *import = module.existingExcelImportWindow();
            import->File1_Click(file.fileName());
            QElapsedTimer timer;
            timer.start();
            import->Command1_Click(1);
            opens.push_back(timer.nsecsElapsed() / 1e6);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (grid->textMatrix(999, 0).isEmpty()) {
                out << "the grid was not filled from " << file.fileName() << "\n";
                return 1;
            }
        }
        double old = 0;
        for (const OldFigure &figure : OldHelper)
            if (file.suffix() == QLatin1String(figure.suffix))
                old = figure.medianMs;
        std::sort(opens.begin(), opens.end());
        out << QStringLiteral("| %1 | %2 KB | %3 ms | %4 / %5 / %6 ms | %7 KB (%8× the file) | %9 ms |\n")
                   .arg(file.fileName())
                   .arg(file.size() / 1024)
                   .arg(median(reads), 0, 'f', 1)
                   .arg(opens.front(), 0, 'f', 1)
                   .arg(median(opens), 0, 'f', 1)
                   .arg(opens.back(), 0, 'f', 1)
                   .arg(peaks[size_t(f)])
                   .arg(double(peaks[size_t(f)]) * 1024 / std::max<qint64>(1, file.size()), 0, 'f', 1)
                   .arg(old, 0, 'f', 1);
    }
    return 0;
}
