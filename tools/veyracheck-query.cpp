// veyracheck-query: runs statements of the text-table engine over the CSV files of a folder and prints the
// records as CSV, for operators who script their screening.

#include "platform/TableCache.h"
#include "platform/TextTableConnection.h"
#include "platform/TextTableError.h"
#include "platform/TextTableRecordSet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

QString csvField(const QString &value)
{
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    QString quoted = value;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

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
        "  COLUMN = 'text'        letter case and blanks around the field ignored\n"
        "  COLUMN LIKE 'pattern'  % any run of characters, _ one character\n"
        "  COLUMN = #date#        month/day/year, month-day-year or year-month-day\n"
        "and a column is a bare name or [any name]. Without --no-header the first line of a file names the\n"
        "columns; with it the columns are F1, F2, ...\n\n"
        "A failing statement prints \"error N: message\" on standard error and the others still run.\n"
        "Exit status: 0 when every statement ran, 2 when any failed or the arguments are wrong."));
    parser.addHelpOption();
    const QCommandLineOption noHeader(QStringLiteral("no-header"), QStringLiteral("The files have no header row."));
    const QCommandLineOption file(QStringLiteral("file"),
                                  QStringLiteral("Run each non-empty line of <file> as a statement, in order."),
                                  QStringLiteral("file"));
    parser.addOption(noHeader);
    parser.addOption(file);
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
            records.open(statement, connection);
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
