#include "app/VeyraForm1.h"
#include "app/VeyraModule1.h"
#include "audit/FileHistory.h"
#include "platform/files/DataFolder.h"
#include "platform/files/SavedFile.h"
#include "platform/widgets/MessageBox.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char *argv[])
{
    // The browser window's web view shares its graphics contexts with the other windows.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    SavedFile::surviveFileSizeLimit();
    QApplication::setApplicationName(QStringLiteral("VeyraCheck"));
    QApplication::setApplicationVersion(QStringLiteral("3.1"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Screens the people on a flight against the security authority's watch lists."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataFolderOption(
        QStringLiteral("data-folder"),
        QStringLiteral("Keep the program's own files in <dir> instead of %1.").arg(DataFolder::defaultPath()),
        QStringLiteral("dir"));
    const QCommandLineOption listOption(
        QStringLiteral("list"),
        QStringLiteral("After start-up, make <file> of the main folder the active watch list, as a click on it "
                       "in the file list would."),
        QStringLiteral("file"));
    parser.addOption(dataFolderOption);
    parser.addOption(listOption);
    parser.process(app);

    const QString dataFolder =
        parser.isSet(dataFolderOption) ? parser.value(dataFolderOption) : DataFolder::defaultPath();
    QString error;
    const bool haveDataFolder = DataFolder::ensureExists(dataFolder, &error);

    VeyraModule1 module(dataFolder);
    // Before any folder is read: a list left under its working name by an earlier version gets its own name back,
    // and what a save cut short by a crash left beside its file goes.
    module.recoverWorkingNames();
    module.removeLeftoverSaves();
    // What was overwritten or deleted is kept for so many days, then goes; a failure here costs only disk space.
    if (haveDataFolder) {
        QStringList links;
        FileHistory(dataFolder).prune(FileHistory::DefaultDays, nullptr, &links);
        for (const QString &link : links)
            qWarning("%s is a link, or holds one: the history never follows a link, and it is left alone.",
                     qPrintable(link));
    }

    VeyraForm1 &window = module.mainWindow();
    window.Form_Load();
    if (!haveDataFolder)
        MessageBox::show(&window, error + QStringLiteral("\nSettings and remembered folders cannot be saved."));
    if (parser.isSet(listOption))
        window.File1_Click(parser.value(listOption));
    return app.exec();
}
