// Makes the README's pictures and printouts from the example lists (not installed):
//   search.png       four people searched against the No-Fly, Cleared and Selectee lists in turn
//   manifest.png     the manifest those rows give
//   grid-search.png  the people of a spreadsheet searched in grid mode against the No-Fly list
//   possible-matches.png  misspelled names searched against the No-Fly list: the advisory marks, and the
//                    "Possible matches" panel of the first row over the window
//   browser.png      the browser window on a stand-in for the portal
//   search-log.pdf, manifest.pdf  the two printouts, the manifest long enough for a second page
// Usage: build/tools/veyracheck-screenshots EXAMPLES_FOLDER PEOPLE.xls OUTPUT_FOLDER

#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "browser/VeyraBrowser.h"
#include "lists/VeyraExcelImport.h"
#include "manifest/VeyraManifest.h"
#include "platform/widgets/FlexGrid.h"
#include "platform/widgets/TextBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QWebEngineView>

namespace {

bool save(QWidget &widget, const QDir &out, const QString &name)
{
    if (widget.grab().save(out.filePath(name)))
        return true;
    QTextStream(stderr) << "cannot write " << out.filePath(name) << "\n";
    return false;
}

// The newest printout the program left in the data folder, moved to the output folder under name.
bool takePrintout(const QDir &data, const QString &pattern, const QDir &out, const QString &name)
{
    const QStringList found = data.entryList({pattern}, QDir::Files, QDir::Time);
    QFile::remove(out.filePath(name));
    if (!found.isEmpty() && QFile::rename(data.filePath(found.first()), out.filePath(name)))
        return true;
    QTextStream(stderr) << "no printout " << pattern << "\n";
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc != 4) {
        QTextStream(stderr) << "usage: veyracheck-screenshots EXAMPLES_FOLDER PEOPLE.xls OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir examples(QString::fromLocal8Bit(argv[1]));
    const QFileInfo sheet(QString::fromLocal8Bit(argv[2]));
    const QDir out(QString::fromLocal8Bit(argv[3]));
    QTemporaryDir dataDir;
    const QDir data(dataDir.path());
    for (const QString &name : examples.entryList({"Veyra_*.csv"}, QDir::Files))
        QFile::copy(examples.filePath(name), data.filePath(name));
    QFile footer1(data.filePath("Footer1.txt"));
    footer1.open(QIODevice::WriteOnly);
    footer1.write("\"I certify that every person on this manifest was screened against the lists named below "
                  "before boarding, and that the statuses shown are those the screening gave.\"\r\n");
    footer1.close();
    QFile footer2(data.filePath("Footer2.txt"));
    footer2.open(QIODevice::WriteOnly);
    footer2.write("\"Example Air, security office, gate B\"\r\n");
    footer2.close();

    VeyraModule1 module(data.path());
    module.printOptions().systemPrinter = false;
    VeyraForm1 &window = module.mainWindow();
    window.Form_Load();
    module.CompanyName = QStringLiteral("Example Air");
    const QStringList people[] = {{"quillfeather", "arno bede", "3/14/1971", ""},
                                  {"marrowby", "celeste", "11/2/1984", ""},
                                  {"pemberleaf", "orsolya", "7/30/1990", "pb4400123"},
                                  {"smith", "john", "", ""}};
    for (int row = 0; row < 4; ++row) {
        for (int field = 0; field < 4; ++field)
            window.findChild<TextBox *>(QStringLiteral("Text%1_%2").arg(field + 1).arg(row))
                ->setText(people[row][field]);
    }
    for (const char *list : {"Veyra_No_Fly_Sample.csv", "Veyra_Cleared_Sample.csv", "Veyra_Selectee_Sample.csv"}) {
        window.File1_Click(QString::fromLatin1(list));
        window.Command1_Click();
    }
    if (!save(window, out, "search.png"))
        return 1;
    module.PrintSearchLog();
    if (!takePrintout(data, "SearchLog-*.pdf", out, "search-log.pdf"))
        return 1;

    VeyraManifest &manifest = module.manifestWindow();
    manifest.Form_Activate();
    manifest.findChild<TextBox *>(QStringLiteral("Text1"))->setText(QStringLiteral("VX-1205"));
    manifest.findChild<TextBox *>(QStringLiteral("Text2"))->setText(QStringLiteral("security@example.test"));
    manifest.Command2_Click();
    auto *grid = manifest.findChild<FlexGrid *>(QStringLiteral("MSFlexGrid1"));
    const char *sexes[] = {"M", "F", "F", "M"};
    for (int row = 1; row <= 4; ++row)
        grid->setTextMatrix(row, 2, QString::fromLatin1(sexes[row - 1]));
    if (!save(manifest, out, "manifest.png"))
        return 1;
    // A full flight, so that the footer goes on a second page.
    for (int row = 5; row <= 40; ++row) {
        grid->setTextMatrix(row, 1, QStringLiteral("PASSENGER %1 EXAMPLE").arg(row));
        grid->setTextMatrix(row, 6, QStringLiteral("CLEARED"));
    }
    module.PrintManifest();
    if (!takePrintout(data, "ManifestPrint-*.pdf", out, "manifest.pdf"))
        return 1;
    manifest.Back_Click();

    module.SpreadsheetFolder = sheet.absolutePath();
    window.FromExcel_Click();
    VeyraExcelImport *import = module.existingExcelImportWindow();
    import->File1_Click(sheet.fileName());
    import->Command1_Click(1);
    window.File1_Click(QStringLiteral("Veyra_No_Fly_Sample.csv"));
    window.Command1_Click();
    if (!save(window, out, "grid-search.png"))
        return 1;

    window.showNameRows();
    const QStringList misspelled[] = {{"quilfeather", "arno bede", "3/14/1971", ""},
                                      {"marowby", "celeste", "2/11/1984", ""},
                                      {"tanglewood", "dunstan eliot", "", "kv9912345"},
                                      {"smith", "john", "", ""}};
    for (int row = 0; row < 4; ++row) {
        for (int field = 0; field < 4; ++field) {
            // Fresh rows: the marks of the first picture's searches would otherwise stay on them.
            auto *box = window.findChild<TextBox *>(QStringLiteral("Text%1_%2").arg(field + 1).arg(row));
            box->setText(misspelled[row][field]);
            box->setForeColor(Qt::black);
            box->setBackColor(Qt::white);
        }
        window.findChild<QCheckBox *>(QStringLiteral("Check1_%1").arg(row))->setChecked(false);
    }
    window.File1_Click(QStringLiteral("Veyra_No_Fly_Sample.csv"));
    window.Command1_Click();
    window.NearMiss_Click(0);
    auto *panel = window.findChild<QWidget *>(QStringLiteral("PossibleMatches"));
    if (!panel)
        return 1;
    // The panel is a window of its own; the picture shows it where it opens, over the main window's lower part.
    QPixmap picture = window.grab();
    const QPixmap panelPicture = panel->grab();
    QPainter painter(&picture);
    const QPoint at(picture.width() - panelPicture.width() - 16, picture.height() - panelPicture.height() - 16);
    painter.fillRect(QRect(at - QPoint(2, 2), panelPicture.size() + QSize(4, 4)), Qt::darkGray);
    painter.drawPixmap(at, panelPicture);
    painter.end();
    if (!picture.save(out.filePath("possible-matches.png"))) {
        QTextStream(stderr) << "cannot write " << out.filePath("possible-matches.png") << "\n";
        return 1;
    }
    panel->hide();

    QFile portal(data.filePath("portal.html"));
    portal.open(QIODevice::WriteOnly);
    portal.write("<html><head><title>Watch list portal</title></head><body style='font-family:sans-serif'>"
                 "<h2>Watch lists</h2><p>Published 12/05/2026. Save each file into your watch-list folder.</p><ul>"
                 "<li><a href='Veyra_No_Fly_1205.csv'>Veyra_No_Fly_1205.csv</a></li>"
                 "<li><a href='Veyra_Selectee_1205.csv'>Veyra_Selectee_1205.csv</a></li>"
                 "<li><a href='Veyra_Cleared_1205.csv'>Veyra_Cleared_1205.csv</a></li></ul></body></html>");
    portal.close();
    module.browserStartAddress = QUrl::fromLocalFile(data.filePath("portal.html")).toString();
    module.browserLibrary = QCoreApplication::applicationDirPath() + "/../src/veyra_browser";
    window.Command3_Click();
    auto *opened = qobject_cast<VeyraBrowser *>(module.existingBrowserWindow());
    if (!opened)
        return 1;
    VeyraBrowser &browser = *opened;
    if (!QTest::qWaitFor([&] { return browser.view()->title() == "Watch list portal"; }, 30000)) {
        QTextStream(stderr) << "the portal page did not load\n";
        return 1;
    }
    QTest::qWait(1500); // the page is drawn a moment after it has loaded
    browser.setWindowTitle(browser.view()->title());
    return save(browser, out, "browser.png") ? 0 : 1;
}
