// veyracheck-lists: checks watch-list files before they are trusted: how the engine reads them, and what in them
// would make a search less than exact.

#include "search/ListCheck.h"

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
        "unclosed quote, a NUL byte, bad UTF-16: the line is named) or the arguments are wrong."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("check"), QStringLiteral("The command: check."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The watch-list files."),
                                 QStringLiteral("FILE..."));
    parser.process(app);

    QTextStream out(stdout), err(stderr);
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() < 2 || arguments.first() != QLatin1String("check")) {
        err << "Usage: veyracheck-lists check FILE...\n";
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
