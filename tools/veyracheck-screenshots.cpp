// Makes the README's pictures: the example lists searched in turn (No-Fly, Cleared, Selectee) for four people,
// leaving a red, a green and a yellow row; the manifest those rows give; and a search of the names of a
// spreadsheet against the example No-Fly list in grid mode. Not installed.
//   build/tools/veyracheck-screenshots EXAMPLES_FOLDER SEARCH.png [MANIFEST.png [PEOPLE.xls GRID.png]]

#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "lists/VeyraExcelImport.h"
#include "manifest/VeyraManifest.h"
#include "platform/FlexGrid.h"
#include "platform/TextBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3 && argc != 4 && argc != 6) {
        err << "usage: veyracheck-screenshots EXAMPLES_FOLDER SEARCH.png [MANIFEST.png [PEOPLE.xls GRID.png]]\n";
        return 2;
    }
    QTemporaryDir data;
    const QDir examples(QString::fromLocal8Bit(argv[1]));
    for (const QString &name : examples.entryList({"Veyra_*.csv"}, QDir::Files))
        QFile::copy(examples.filePath(name), data.filePath(name));

    VeyraModule1 module(data.path());
    VeyraForm1 &window = module.mainWindow();
    window.Form_Load();
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
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        err << "cannot write " << argv[2] << "\n";
        return 1;
    }
    if (argc == 3)
        return 0;

    module.CompanyName = QStringLiteral("Example Air");
    VeyraManifest &manifest = module.manifestWindow();
    manifest.Form_Activate();
    manifest.findChild<TextBox *>(QStringLiteral("Text1"))->setText(QStringLiteral("VX-1205"));
    manifest.findChild<TextBox *>(QStringLiteral("Text2"))->setText(QStringLiteral("security@example.test"));
    manifest.Command2_Click();
    auto *grid = manifest.findChild<FlexGrid *>(QStringLiteral("MSFlexGrid1"));
    const char *sexes[] = {"M", "F", "F", "M"};
    for (int row = 1; row <= 4; ++row)
        grid->setTextMatrix(row, 2, QString::fromLatin1(sexes[row - 1]));
    if (!manifest.grab().save(QString::fromLocal8Bit(argv[3]))) {
        err << "cannot write " << argv[3] << "\n";
        return 1;
    }
    if (argc == 4)
        return 0;

    manifest.Back_Click();
    const QFileInfo sheet(QString::fromLocal8Bit(argv[4]));
    module.SpreadsheetFolder = sheet.absolutePath();
    module.setSpreadsheetHelper(QCoreApplication::applicationDirPath() + "/../src/veyracheck-xls");
    window.FromExcel_Click();
    VeyraExcelImport *import = module.existingExcelImportWindow();
    import->File1_Click(sheet.fileName());
    import->Command1_Click(1);
    window.File1_Click(QStringLiteral("Veyra_No_Fly_Sample.csv"));
    window.Command1_Click();
    if (!window.grab().save(QString::fromLocal8Bit(argv[5]))) {
        err << "cannot write " << argv[5] << "\n";
        return 1;
    }
    return 0;
}
