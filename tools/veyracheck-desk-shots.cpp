// Makes the pictures of the operator's desk (not installed), from the example lists:
//   desk-busy.png     the main window while a list is read: what is read, the moving bar, Cancel
//   desk-import.png   the import window while a sheet is read by a slow stand-in reader
//   desk-minimum.png  the main window at its least size, every control in sight
//   desk-2x.png       with QT_SCALE_FACTOR=2 on a 1600x1000 screen: the window within the screen, scrolled
// Usage: build/tools/veyracheck-desk-shots EXAMPLES_FOLDER OUTPUT_FOLDER
// (desk-2x.png only when run at a scale factor of 2, the others only at 1). Both runs want a 1600x1000 screen:
//   QT_QPA_PLATFORM=offscreen:configfile=tests/support/screen-1600x1000.json

#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "engine/TableCache.h"
#include "lists/VeyraExcelImport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace {

bool save(QWidget &widget, const QDir &out, const QString &name)
{
    if (widget.grab().save(out.filePath(name)))
        return true;
    QTextStream(stderr) << "cannot write " << out.filePath(name) << "\n";
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: veyracheck-desk-shots EXAMPLES_FOLDER OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir examples(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir dataDir;
    const QDir data(dataDir.path());
    for (const QString &name : examples.entryList({"Veyra_*.csv"}, QDir::Files))
        QFile::copy(examples.filePath(name), data.filePath(name));

    // Outlives the program, which waits for a reading given up before it ends.
    std::atomic<bool> letGo = false;
    VeyraModule1 module(data.path());
    VeyraForm1 &window = module.mainWindow();
    window.Form_Load();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    bool saved = true;

    if (app.primaryScreen()->devicePixelRatio() > 1.5) {
        window.File1_Click(QStringLiteral("Veyra_No_Fly_Sample.csv"));
        return save(window, out, "desk-2x.png") ? 0 : 1;
    }

    // The list's reading held back while the picture is taken.
    module.tableCache().setBeforeParse([&letGo](const QString &) {
        while (!letGo)
            QThread::msleep(2);
    });
    QTimer::singleShot(400, &window, [&] {
        saved = save(window, out, "desk-busy.png") && saved;
        letGo = true;
    });
    window.File1_Click(QStringLiteral("Veyra_No_Fly_Sample.csv"));

    window.resize(window.minimumSize());
    QCoreApplication::processEvents();
    saved = save(window, out, "desk-minimum.png") && saved;

    // A reader that waits until the picture is taken.
    std::atomic<bool> go = false;
    QFile sheet(data.filePath("passengers-1205.xlsx"));
    sheet.open(QIODevice::WriteOnly);
    sheet.close();
    module.setSpreadsheetReader([&go](const QString &, const std::atomic<bool> *) {
        while (!go)
            QThread::msleep(2);
        SpreadsheetReader::Result read;
        read.ok = true;
        read.rows = {{QStringLiteral("ROE"), QStringLiteral("RICHARD")}};
        return read;
    });
    window.FromExcel_Click();
    VeyraExcelImport &import = module.excelImportWindow();
    import.File1_Click(QStringLiteral("passengers-1205.xlsx"));
    QTimer::singleShot(400, &import, [&] {
        saved = save(import, out, "desk-import.png") && saved;
        go = true;
    });
    import.Command1_Click(1);
    return saved ? 0 : 1;
}
