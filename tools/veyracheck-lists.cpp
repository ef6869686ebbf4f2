// veyracheck-lists: checks watch-list files before they are trusted (how the engine reads them, and what in them
// would make a search less than exact), and says what changed between two versions of a list.

#include "app/FolderConfig.h"
#include "audit/ScreeningRecord.h"
#include "engine/TableCache.h"
#include "manifest/Rescreening.h"
#include "platform/files/DataFolder.h"
#include "search/ListCheck.h"
#include "search/ListDiff.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veyracheck-lists"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "veyracheck-lists check FILE...\n\n"
        "Reads each watch-list file as VeyraCheck's search does and prints: its records and columns, the encoding\n"
        "found, its line ends, the records with more or fewer fields than the header, duplicate column names, the\n"
        "columns a search names that it lacks, and the dates of birth that cannot be read (how many, and the first\n"
        "ten with their lines; the header is line 1), besides those that give only a year or a month.\n\n"
        "Exit status: 0 when nothing is wrong, 1 when there are warnings, 2 when a file cannot be read (an\n"
        "unclosed quote, a NUL byte, bad UTF-16: the line is named) or the arguments are wrong.\n\n"
        "veyracheck-lists diff OLD NEW [--format csv|json]\n\n"
        "Prints the records added, removed and changed between two versions of a list. A record is known by its\n"
        "first column when both lists begin with a column named SID, by the whole record otherwise. CSV:\n"
        "change,SID,field,old,new, one line per changed field; an added or removed record is one line, with the\n"
        "record in new or old. Exit status: 0 when the lists hold the same records, 1 when they differ, 2 when a\n"
        "list cannot be read or the arguments are wrong.\n\n"
        "veyracheck-lists rescreen --list FILE... [--folder DIR] [--data-folder DIR]\n\n"
        "Screens every saved name list (Crew-1 to Passenger-4) and every saved manifest (Manifest-*) of the\n"
        "manifest folder (default: the one VeyraCheck remembers) against the lists given, in order, as\n"
        "veyracheck-screen does, and prints each person whose status differs from the one saved in their manifest,\n"
        "or who is now NO FLY or SSSS in a saved name list: source,lastName,firstAndMiddleName,dateOfBirth,\n"
        "oldStatus,newStatus,list,record. Every person searched is recorded in the screening record of the data\n"
        "folder (--data-folder, default the program's own). Exit status: 0 when nobody changed, 1 when somebody\n"
        "did, 2 when a list or a manifest cannot be read or the record cannot be written."));
    parser.addHelpOption();
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("diff: csv (the default) or json."),
                                    QStringLiteral("csv|json"), QStringLiteral("csv"));
    parser.addOption(format);
    const QCommandLineOption listOption(QStringLiteral("list"), QStringLiteral("rescreen: a watch list (repeatable)."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption folderOption(QStringLiteral("folder"),
                                          QStringLiteral("rescreen: the folder of the saved lists and manifests."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption dataFolderOption(QStringLiteral("data-folder"),
                                              QStringLiteral("rescreen: the program's data folder."),
                                              QStringLiteral("DIR"), DataFolder::defaultPath());
    parser.addOption(listOption);
    parser.addOption(folderOption);
    parser.addOption(dataFolderOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("check, diff or rescreen."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The watch-list files."),
                                 QStringLiteral("FILE..."));
    parser.process(app);

    QTextStream out(stdout), err(stderr);
    const QStringList arguments = parser.positionalArguments();
    const QString command = arguments.value(0);
    if (command == QLatin1String("rescreen")) {
        if (arguments.size() != 1 || !parser.isSet(listOption)) {
            err << "Usage: veyracheck-lists rescreen --list FILE... [--folder DIR] [--data-folder DIR]\n";
            return 2;
        }
        const QString data = parser.value(dataFolderOption);
        QString folder = parser.value(folderOption);
        if (folder.isEmpty()) {
            folder = FolderConfig::read(data).value(1);
            if (folder.isEmpty())
                folder = data;
        }
        TableCache cache;
        cache.setKeyColumns({QString::fromLatin1(NameQuery::KeyColumn)});
        const Rescreening result = Rescreening::run(folder, parser.values(listOption), cache);
        const ScreeningRecord::Appended recorded = ScreeningRecord(data).append(result.entries);
        err << recorded.toolMessages();
        if (!result.error.isEmpty()) {
            err << result.error << "\n";
            return 2;
        }
        out << result.csv();
        out.flush();
        if (!recorded.ok)
            return 2;
        return result.findings.isEmpty() ? 0 : 1;
    }
    if (command == QLatin1String("diff")) {
        const QString kind = parser.value(format);
        if (arguments.size() != 3 || (kind != QLatin1String("csv") && kind != QLatin1String("json"))) {
            err << "Usage: veyracheck-lists diff OLD NEW [--format csv|json]\n";
            return 2;
        }
        const ListDiff diff = ListDiff::compare(arguments[1], arguments[2]);
        if (!diff.error.isEmpty()) {
            err << diff.error << "\n";
            return 2;
        }
        if (kind == QLatin1String("json"))
            out << QString::fromUtf8(diff.json());
        else
            out << diff.csv();
        return diff.identical() ? 0 : 1;
    }
    if (arguments.size() < 2 || command != QLatin1String("check")) {
        err << "Usage: veyracheck-lists check FILE...\n       veyracheck-lists diff OLD NEW [--format csv|json]\n"
               "       veyracheck-lists rescreen --list FILE... [--folder DIR] [--data-folder DIR]\n";
        return 2;
    }
    int status = 0;
    for (const QString &path : arguments.mid(1)) {
        const ListCheck check = ListCheck::check(path);
        out << check.report();
        if (!check.readable())
            status = 2;
        else if (!check.warnings().isEmpty())
            status = std::max(status, 1);
    }
    return status;
}
