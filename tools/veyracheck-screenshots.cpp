// Makes the README's picture of a search: the example lists searched in turn (No-Fly, Cleared, Selectee) for
// four people, leaving a red, a green and a yellow row. Not installed.
//   build/tools/veyracheck-screenshots EXAMPLES_FOLDER OUTPUT.png

#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "platform/TextBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: veyracheck-screenshots EXAMPLES_FOLDER OUTPUT.png\n";
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
    return 0;
}
