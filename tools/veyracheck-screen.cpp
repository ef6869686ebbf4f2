// veyracheck-screen: VeyraCheck's grid-mode search without the window, for scripts and machines without a
// screen. `veyracheck-screen --help` tells the whole of it.

#include "audit/ScreeningRecord.h"
#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableError.h"
#include "platform/files/DataFolder.h"
#include "platform/files/SavedFile.h"
#include "platform/files/SpreadsheetReader.h"
#include "search/BatchScreening.h"
#include "search/NameQuery.h"
#include "search/NearMissFinder.h"
#include "shared/CsvField.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr auto Description = R"(Screens a list of people against watch lists, as VeyraCheck's window does in grid mode.

NAMES is a CSV file of four columns without a header row (last name, first and middle name, date of birth,
passport number), or an .xls, .xlsx, .xlsm or .ods spreadsheet whose columns A to D are read, every row of the
shown sheet (the active one when visible, else the first visible one), as the sheet shows them; the sheet read is
named on standard error. A file that cannot be read whole is refused: nobody in it goes unscreened.
The lists are searched in the order given; each list's kind comes from its file name ("No_Fly", "Selectee",
"Cleared", other), and each search starts from the marks the previous one left: a Cleared list looks only at
uncleared matches and needs a date of birth, a Selectee list passes over them. On every list but a Cleared one,
a record that leaves the date of birth, the passport or a given name unstated (or gives only a year or a month
of the date) is not excluded by what the person's row states; on a Cleared list the rules are strict.

A list that cannot be read completely (an unclosed quote, a NUL byte, bad UTF-16) or searched ends the run with
the engine's number and message. So does a names file that cannot be read completely, and one with nobody in it.

Each person's status is "NO FLY", "SSSS" or "CLEARED", as the manifest screening gives it, or the reason the
search refused the person ("Need Last Name", "Must enter DOB"), or "REFUSED" when the engine rejected the
person's statement (an apostrophe in a name): the engine's reason is written to standard error and, in JSON, as
"reason". A refusal does not stop the batch. A column name a list repeats is numbered: MISC, MISC_2.

CSV output: a header row, then one line per matching list record (or one line for a person without a match):
lastName,firstAndMiddleName,dateOfBirth,passport,status,list, and the record's columns. Which version of each
list was read goes to standard error, a line per list: its file name, records and SHA-256.
JSON output: one object, {"lists": [{"file", "records", "sha256"}], "people": [...]}, with one object per person:
lastName, firstAndMiddleName, dateOfBirth, passport, status, and matches: [{"list": file name, "record":
{column: value}}].

With --near-miss, each list is also searched for near misses: records whose names come close to a searched
person's (another transliteration, a letter mistyped, surname and given names swapped, given names in other
order, a hyphen or an apostrophe) without the exact search finding them, scored from 0 to 1 with the date of birth
(equal, day and month swapped, within one year) and the passport weighing in. They are advisories: statuses and
the exit status stay those of the exact search. In JSON each person gets "nearMisses": [{"list", "record",
"score", "reasons"}], best score first; in CSV the near misses are lines of their own and every line ends with two
more columns, match ("exact" or "near", empty for a person without either) and score (near misses only).
--near-miss-threshold T (0 to 1, default 0.85) is the lowest score reported; at most ten per person and list.

Every run appends a line for each person each list's search looked at to ScreeningRecord.jsonl in the data
folder (--data-folder, default the program's own): the time, user, machine, list, the person and the outcome,
chained by SHA-256 (veyracheck-audit verify checks it). A run whose record cannot be written exits 2 after its
output.

Exit status: 0 when nobody is NO FLY, SSSS or refused; 1 when somebody is; 2 on an error.)";

std::optional<QList<NameQuery::Row>> readNames(const QString &path, QString *error)
{
    const bool csv = QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    // No row limit: a batch screens everyone it is given. A spreadsheet under another name (people.xlsb,
    // people.txt) goes to the spreadsheet reader, which reads it or says why not, never to the CSV rules.
    const bool sheet =
        !csv && (SpreadsheetReader::isReadable(path) || SpreadsheetReader::hasSpreadsheetContainer(path));
    const SpreadsheetReader::Result read =
        sheet ? SpreadsheetReader::read(path, 0) : SpreadsheetReader::readCsv(path, 0);
    if (!read.ok) {
        *error = read.error;
        return std::nullopt;
    }
    if (!read.sheet.isEmpty())
        QTextStream(stderr) << QFileInfo(path).fileName() << ": read the sheet \"" << read.sheet << "\"\n";
    QList<NameQuery::Row> names;
    for (const QStringList &row : read.rows)
        names.append({row.value(0), row.value(1), row.value(2), row.value(3)});
    return names;
}

QString scoreText(double score)
{
    return QString::number(score, 'f', 3);
}

QByteArray toCsv(const QList<BatchScreening::Person> &persons, bool nearMisses)
{
    // The columns of all lists, in the order met; a list's own columns are placed among them once per list.
    QStringList columns;
    QHash<QString, int> columnAt;
    QHash<const void *, std::vector<int>> placeOfList; // keyed by the list's shared column names
    auto place = [&](const QStringList &listColumns) -> const std::vector<int> & {
        auto found = placeOfList.find(listColumns.constData());
        if (found != placeOfList.end())
            return *found;
        std::vector<int> places;
        for (const QString &column : listColumns) {
            auto at = columnAt.find(column);
            if (at == columnAt.end()) {
                at = columnAt.insert(column, int(columns.size()));
                columns.append(column);
            }
            places.push_back(*at);
        }
        return *placeOfList.insert(listColumns.constData(), std::move(places));
    };
    for (const auto &person : persons) {
        for (const auto &match : person.matches)
            place(match.columns);
        for (const auto &near : person.nearMisses)
            place(near.columns);
    }
    QStringList header{"lastName", "firstAndMiddleName", "dateOfBirth", "passport", "status", "list"};
    for (const QString &column : columns)
        header.append(csvCell(column));
    if (nearMisses)
        header << "match"
               << "score";
    QString out = header.join(u',') + QLatin1String("\r\n");
    auto recordLine = [&](const QStringList &own, const QString &listName, const QStringList &listColumns,
                          const std::vector<std::optional<QString>> &fields) {
        QStringList line = own;
        line.append(csvCell(listName));
        QStringList values(columns.size());
        const std::vector<int> &places = place(listColumns);
        for (size_t c = 0; c < places.size() && c < fields.size(); ++c) {
            if (fields[c])
                values[places[c]] = csvCell(*fields[c]);
        }
        line.append(values);
        return line;
    };
    for (const auto &person : persons) {
        const QStringList own{csvCell(person.texts.lastName), csvCell(person.texts.firstAndMiddleName),
                              csvCell(person.texts.dateOfBirth), csvCell(person.texts.passport),
                              csvCell(person.status())};
        if (person.matches.isEmpty() && person.nearMisses.isEmpty()) {
            out += own.join(u',') + QString(columns.size() + 1 + (nearMisses ? 2 : 0), u',') + QLatin1String("\r\n");
            continue;
        }
        for (const auto &match : person.matches) {
            QStringList line = recordLine(own, match.listName, match.columns, match.fields);
            if (nearMisses)
                line << QStringLiteral("exact") << QString();
            out += line.join(u',') + QLatin1String("\r\n");
        }
        for (const auto &near : person.nearMisses) {
            QStringList line = recordLine(own, near.listName, near.columns, near.fields);
            line << QStringLiteral("near") << scoreText(near.score);
            out += line.join(u',') + QLatin1String("\r\n");
        }
    }
    return out.toUtf8();
}

QJsonObject recordObject(const QStringList &columns, const std::vector<std::optional<QString>> &fields)
{
    QJsonObject record;
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const auto &field = fields[size_t(c)];
        record.insert(columns[c], field ? QJsonValue(*field) : QJsonValue());
    }
    return record;
}

QByteArray toJson(const QList<ListIdentity> &lists, const QList<BatchScreening::Person> &persons, bool nearMisses)
{
    QJsonArray read;
    for (const ListIdentity &list : lists)
        read.append(QJsonObject{{"file", list.file}, {"records", list.records}, {"sha256", list.sha256}});
    QJsonArray all;
    for (const auto &person : persons) {
        QJsonArray matches;
        for (const auto &match : person.matches)
            matches.append(
                QJsonObject{{"list", match.listName}, {"record", recordObject(match.columns, match.fields)}});
        QJsonObject object{{"lastName", person.texts.lastName},
                           {"firstAndMiddleName", person.texts.firstAndMiddleName},
                           {"dateOfBirth", person.texts.dateOfBirth},
                           {"passport", person.texts.passport},
                           {"status", person.status()},
                           {"matches", matches}};
        if (!person.reason.isEmpty())
            object.insert("reason", person.reason);
        if (nearMisses) {
            QJsonArray near;
            for (const auto &miss : person.nearMisses) {
                near.append(QJsonObject{{"list", miss.listName},
                                        {"record", recordObject(miss.columns, miss.fields)},
                                        {"score", std::round(miss.score * 1000) / 1000},
                                        {"reasons", QJsonArray::fromStringList(miss.reasons)}});
            }
            object.insert("nearMisses", near);
        }
        all.append(object);
    }
    return QJsonDocument(QJsonObject{{"lists", read}, {"people", all}}).toJson(QJsonDocument::Indented);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SavedFile::surviveFileSizeLimit();
    QCoreApplication::setApplicationName(QStringLiteral("veyracheck-screen"));
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addHelpOption();
    const QCommandLineOption namesOption("names", "The people to screen: a CSV, .xls, .xlsx, .xlsm or .ods file.",
                                         "file");
    const QCommandLineOption listOption("list", "A watch list, searched in the order given; repeat it.", "file");
    const QCommandLineOption formatOption("format", "csv (the default) or json.", "format", "csv");
    const QCommandLineOption outputOption("output", "Write to <file> instead of standard output.", "file");
    const QCommandLineOption nearMissOption("near-miss", "Also report near misses, as advisories.");
    const QCommandLineOption thresholdOption("near-miss-threshold", "The lowest near-miss score reported (0 to 1).",
                                             "T", QString::number(NearMissFinder::DefaultThreshold));
    const QCommandLineOption dataFolderOption("data-folder", "Where the screening record is kept.", "folder",
                                              DataFolder::defaultPath());
    parser.addOptions(
        {namesOption, listOption, formatOption, outputOption, nearMissOption, thresholdOption, dataFolderOption});
    if (!parser.parse(app.arguments())) {
        err << parser.errorText() << "\n";
        return 2;
    }
    if (parser.isSet("help")) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    const QString format = parser.value(formatOption);
    const bool nearMisses = parser.isSet(nearMissOption);
    bool thresholdRead = false;
    const double threshold = parser.value(thresholdOption).toDouble(&thresholdRead);
    if (!parser.isSet(namesOption) || !parser.isSet(listOption) || (format != "csv" && format != "json") ||
        !parser.positionalArguments().isEmpty() || (parser.isSet(thresholdOption) && !nearMisses)) {
        err << "usage: veyracheck-screen --names FILE --list LIST [--list LIST ...] [--format csv|json] "
               "[--output FILE] [--near-miss [--near-miss-threshold T]] [--data-folder DIR]\n";
        return 2;
    }
    if (!thresholdRead || !(threshold >= 0.0 && threshold <= 1.0)) {
        err << "The near-miss threshold must be a number from 0 to 1, not " << parser.value(thresholdOption) << "\n";
        return 2;
    }

    QString error;
    const auto names = readNames(parser.value(namesOption), &error);
    if (!names) {
        err << "The names in " << parser.value(namesOption) << " cannot be read: " << error << "\n";
        return 2;
    }
    if (names->isEmpty()) {
        // A flight of nobody is never "nobody flagged": an empty file or a sheet read as nothing is an error.
        err << "No person could be read from " << parser.value(namesOption) << "\n";
        return 2;
    }
    // The persons each search looked at, in the screening record. False, said on standard error, when it cannot
    // be written.
    const ScreeningRecord screeningRecord(parser.value(dataFolderOption));
    const auto record = [&](const QList<ScreeningEntry> &entries) {
        const ScreeningRecord::Appended appended = screeningRecord.append(entries);
        err << appended.toolMessages();
        return appended.ok;
    };
    BatchScreening batch(*names);
    if (nearMisses)
        batch.findNearMisses(threshold, NearMissFinder::DefaultLimit);
    TableCache cache;
    cache.setKeyColumns({QString::fromLatin1(NameQuery::KeyColumn)});
    const bool terminal = isatty(fileno(stderr));
    QElapsedTimer clock;
    clock.start();
    qint64 shown = 0;
    for (const QString &list : parser.values(listOption)) {
        const QString listName = QFileInfo(list).fileName();
        const auto progress = [&](int done, int total) {
            // Only for a person watching, and only once the run takes a while.
            if (!terminal || clock.elapsed() < 1000 || clock.elapsed() - shown < 200)
                return;
            shown = clock.elapsed();
            err << "\r" << listName << ": " << done << " of " << total << "   " << Qt::flush;
        };
        if (!batch.screen(list, cache, &error, progress)) {
            err << (shown ? "\n" : "") << error << "\n";
            record(batch.entries());
            return 2;
        }
    }
    if (shown)
        err << "\n";
    for (const auto &person : batch.persons()) {
        if (!person.reason.isEmpty())
            err << person.texts.lastName << ", " << person.texts.firstAndMiddleName << ": " << person.status() << ": "
                << person.reason << "\n";
    }

    if (format != "json") {
        // Which version of each list the statuses come from; in JSON it is part of the output.
        for (const ListIdentity &list : batch.lists())
            err << "list " << list.file << ": " << list.records << (list.records == 1 ? " record" : " records")
                << ", SHA-256 " << list.sha256 << "\n";
    }
    const QByteArray out =
        format == "json" ? toJson(batch.lists(), batch.persons(), nearMisses) : toCsv(batch.persons(), nearMisses);
    bool written = true;
    if (parser.isSet(outputOption)) {
        QString cause;
        if (!SavedFile::replace(parser.value(outputOption), out, &cause)) {
            err << "Cannot write " << parser.value(outputOption) << ": " << cause << "\n";
            written = false;
        }
    } else if (std::fwrite(out.constData(), 1, size_t(out.size()), stdout) != size_t(out.size()) ||
               std::fflush(stdout) != 0) {
        // A verdict that never reached its reader must not end as a success.
        err << "Cannot write the output: " << QString::fromLocal8Bit(std::strerror(errno)) << "\n";
        written = false;
    }
    // The search happened whether or not its output reached anyone: it is recorded either way.
    if (!record(batch.entries()) || !written)
        return 2;
    const auto &persons = batch.persons();
    return std::any_of(persons.begin(), persons.end(), [](const auto &p) { return p.needsAttention(); }) ? 1 : 0;
}
