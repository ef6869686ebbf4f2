// veyracheck-query: runs statements of the text-table engine over the CSV files of a folder and prints the
// records as CSV, for operators who script their screening.

#include "engine/TableCache.h"
#include "engine/TextTableConnection.h"
#include "engine/TextTableError.h"
#include "engine/TextTableRecordSet.h"
#include "search/NameQuery.h"
#include "shared/CsvField.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

void printRecords(TextTableRecordSet &records, QTextStream &out)
{
    QStringList line;
    for (int j = 0; j < records.fieldCount(); ++j)
        line << csvField(records.fieldName(j));
    out << line.join(u',') << "\r\n";
    for (; !records.eof(); records.moveNext()) {
        line.clear();
        for (int j = 0; j < records.fieldCount(); ++j)
            line << csvField(records.value(j).value_or(QString()));
        out << line.join(u',') << "\r\n";
    }
    out << "\r\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veyracheck-query"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs statements over the comma-separated files of FOLDER, as VeyraCheck's search does, and prints for each\n"
        "statement the column names as one CSV line, every matching record as one CSV line (RFC 4180; an empty\n"
        "field prints empty) and an empty line.\n\n"
        "Statements: SELECT * FROM <file> [WHERE <condition> {AND <condition>}], where a condition is\n"
        "  COLUMN = 'text'        compared by one key on both sides: letter case (fully folded: ß = SS), accents\n"
        "                         and compatibility forms ignored, blanks around the field dropped\n"
        "  COLUMN LIKE 'pattern'  the same key; % any run of characters, _ one character\n"
        "  COLUMN = #date#        month/day/year (day/month/year when the first number is above 12),\n"
        "                         month-day-year, year-month-day, year/month/day, 2-JAN-1960, Jan 2, 1960;\n"
        "                         two-digit years 00-29 are 20xx, 30-99 19xx; a time after the date is ignored\n"
        "and a column is a bare name or [any name]. Without --no-header the first line of a file names the\n"
        "columns; with it the columns are F1, F2, ...\n\n"
        "By default every condition is strict: an empty field equals only '', a date field only the same whole\n"
        "date. --kind no-fly, selectee or other evaluates as the search does on such a list: an empty DOB,\n"
        "PASSPORT/IDNUMBER, FIRSTNAME or MIDDLENAME, or a DOB that cannot be read, does not exclude a record,\n"
        "and a DOB that gives only a year or a month and a year equals every date inside it. --kind cleared is\n"
        "strict, as the search is on a Cleared list.\n\n"
        "A file that cannot be read completely (an unclosed quote, a NUL byte, bad UTF-16) fails each statement\n"
        "on it with the file's name and the line where the trouble starts.\n"
        "A failing statement prints \"error N: message\" on standard error and the others still run.\n"
        "Exit status: 0 when every statement ran, 2 when any failed or the arguments are wrong."));
    parser.addHelpOption();
    const QCommandLineOption noHeader(QStringLiteral("no-header"), QStringLiteral("The files have no header row."));
    const QCommandLineOption file(QStringLiteral("file"),
                                  QStringLiteral("Run each non-empty line of <file> as a statement, in order."),
                                  QStringLiteral("file"));
    const QCommandLineOption kind(QStringLiteral("kind"),
                                  QStringLiteral("Evaluate as the search does on a list of <kind>: no-fly, selectee, "
                                                 "cleared or other."),
                                  QStringLiteral("kind"));
    parser.addOption(noHeader);
    parser.addOption(file);
    parser.addOption(kind);
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("The folder that holds the files."));
    parser.addPositionalArgument(QStringLiteral("STATEMENT"), QStringLiteral("The statement, unless --file."),
                                 QStringLiteral("[STATEMENT]"));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != (parser.isSet(file) ? 1 : 2)) {
        err << "usage: veyracheck-query [--no-header] FOLDER STATEMENT\n"
               "       veyracheck-query [--no-header] FOLDER --file FILE\n";
        return 2;
    }
    UnstatedValues unstated;
    if (parser.isSet(kind)) {
        static const QStringList kinds = {"no-fly", "selectee", "cleared", "other"};
        const QString value = parser.value(kind).toLower();
        if (!kinds.contains(value)) {
            err << "--kind is one of " << kinds.join(QStringLiteral(", ")) << "\n";
            return 2;
        }
        unstated = NameQuery::unstatedValues(value == QLatin1String("cleared"));
    }
    QStringList statements;
    if (parser.isSet(file)) {
        QFile input(parser.value(file));
        if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
            err << "cannot read " << input.fileName() << ": " << input.errorString() << "\n";
            return 2;
        }
        for (const QString &line : QString::fromUtf8(input.readAll()).split(u'\n')) {
            if (!line.trimmed().isEmpty())
                statements << line.trimmed();
        }
    } else {
        statements << positional[1];
    }

    TableCache cache;
    cache.setHashWhileReading(false); // a query never names the list's version
    TextTableConnection connection(cache);
    try {
        connection.open(TextTableConnection::connectionText(positional[0], !parser.isSet(noHeader)));
    } catch (const TextTableError &e) {
        err << "error " << e.number() << ": " << e.message() << "\n";
        return 2;
    }

    QTextStream out(stdout);
    int status = 0;
    for (const QString &statement : statements) {
        TextTableRecordSet records;
        try {
            records.open(statement, connection, unstated);
            printRecords(records, out);
            records.close();
        } catch (const TextTableError &e) {
            out.flush();
            err << "error " << e.number() << ": " << e.message() << "\n";
            err.flush();
            status = 2;
        }
    }
    connection.close();
    return status;
}
