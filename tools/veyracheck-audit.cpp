// veyracheck-audit: checks and shows the screening record, and lists, restores and prunes the history of the
// operator's files.

#include "app/FolderConfig.h"
#include "audit/FileHistory.h"
#include "audit/ScreeningRecord.h"
#include "platform/files/DataFolder.h"
#include "shared/CsvField.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTextStream>

#include <optional>

namespace {

constexpr auto Description = R"(Checks and shows VeyraCheck's screening record, and lists, restores and prunes
the history of the operator's files, in the data folder (--data-folder, default the program's own).

  verify     Checks the hash chain of ScreeningRecord.jsonl. Exit 0 when it is whole; 1 when it is not, with
             "line N" for the first line that does not fit (changed, removed, added or moved lines all show).
  show       The record's lines, as CSV (the default) or JSON. --since DATE (yyyy-mm-dd, local time, or an ISO
             date and time) keeps the lines written from then on; --name TEXT those whose last or given names
             hold TEXT, in any letter case.
  history    The copies kept of files the program overwrote or deleted (manifests, name lists, CIinfo.cdb,
             watch lists removed with "Delete File"), oldest first. --restore ITEM writes one back where it came
             from (or to --to FILE), keeping what is there now; unasked, only into the data folder, the
             main folder or the manifest folder, never onto a link or the record. A link in the history is
             never followed: it is named and left alone. --prune DAYS removes the days kept longer than
             DAYS days; the program itself keeps 90.

Exit status: 0 on success; 1 when verify finds the chain broken; 2 on an error.)";

const QStringList Columns{"seq",         "time",        "user",       "machine",  "mode",
                          "list",        "listRecords", "listSha256", "lastName", "firstAndMiddleName",
                          "dateOfBirth", "passport",    "match",      "outcome",  "records"};

std::optional<QDateTime> sinceOf(const QString &text)
{
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid())
        return day.startOfDay();
    const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    if (time.isValid())
        return time;
    return std::nullopt;
}

QString csvValue(const QJsonValue &value)
{
    if (value.isArray()) {
        QStringList parts;
        for (const QJsonValue &part : value.toArray())
            parts.append(part.toString());
        return csvCell(parts.join(u' '));
    }
    if (value.isDouble())
        return QString::number(qint64(value.toDouble()));
    return csvCell(value.toString());
}

int verify(const ScreeningRecord &record, QTextStream &out)
{
    const ScreeningRecord::Check check = record.verify();
    if (check.whole) {
        out << record.path() << ": " << check.lines << (check.lines == 1 ? " line" : " lines")
            << ", the chain is whole. SHA-256 of the last line: " << check.lastHash << "\n";
        return 0;
    }
    if (!check.readable) {
        out << check.reason << "\n";
        return 2;
    }
    out << record.path() << ": line " << check.badLine << " does not fit: " << check.reason << "\n";
    return 1;
}

int show(const ScreeningRecord &record, const std::optional<QDateTime> &since, const QString &name, bool json,
         QTextStream &out, QTextStream &err)
{
    QJsonArray lines;
    if (!json)
        out << Columns.join(u',') << "\n";
    const ScreeningRecord::Check check = record.verify([&](qint64 number, const QJsonObject &fields) {
        if (fields.isEmpty()) {
            err << "line " << number << " is not a record line; verify says more\n";
            return;
        }
        const QDateTime time = QDateTime::fromString(fields.value("time").toString(), Qt::ISODate);
        if (since && (!time.isValid() || time < *since))
            return;
        if (!name.isEmpty()) {
            const QString last = fields.value("lastName").toString();
            const QString given = fields.value("firstAndMiddleName").toString();
            // Either name alone, or both written in either order.
            if (!(last + u' ' + given).contains(name, Qt::CaseInsensitive) &&
                !(given + u' ' + last).contains(name, Qt::CaseInsensitive))
                return;
        }
        if (json) {
            lines.append(fields);
            return;
        }
        QStringList values;
        for (const QString &column : Columns)
            values.append(csvValue(fields.value(column)));
        out << values.join(u',') << "\n";
    });
    if (json)
        out << QJsonDocument(lines).toJson(QJsonDocument::Indented);
    if (!check.readable) {
        err << check.reason << "\n";
        return 2;
    }
    // The lines are shown as they stand; that the chain does not hold is said beside them.
    if (!check.whole)
        err << "warning: " << record.path() << ": line " << check.badLine << " does not fit: " << check.reason
            << "; the lines shown from there on may have been changed\n";
    return 0;
}

void reportLinks(const QStringList &links, QTextStream &err)
{
    for (const QString &link : links)
        err << "left alone: " << link << " is a link, or holds one; the history never follows a link\n";
}

int history(FileHistory &files, const QCommandLineParser &parser, QTextStream &out, QTextStream &err)
{
    QString error;
    QStringList links;
    if (parser.isSet("prune")) {
        bool number = false;
        const int days = parser.value("prune").toInt(&number);
        if (!number || days < 0) {
            err << "--prune needs a number of days, 0 or more, not " << parser.value("prune") << "\n";
            return 2;
        }
        const int removed = files.prune(days, &error, &links);
        reportLinks(links, err);
        if (removed < 0) {
            err << error << "\n";
            return 2;
        }
        out << removed << (removed == 1 ? " item" : " items") << " kept longer than " << days
            << (days == 1 ? " day" : " days") << " removed.\n";
        return 0;
    }
    if (parser.isSet("restore")) {
        // Unasked, an item goes back only where the program itself keeps its files.
        QStringList folders = FolderConfig::read(files.dataFolder()).mid(0, 2);
        folders.removeAll(QString());
        files.setProgramFolders(folders);
        QString restoredTo;
        if (!files.restore(parser.value("restore"), parser.value("to"), &restoredTo, &error)) {
            err << error << "\n";
            return 2;
        }
        out << "Restored " << parser.value("restore") << " to " << restoredTo << "\n";
        return 0;
    }
    const QList<FileHistory::Item> items = files.items(&links);
    reportLinks(links, err);
    if (items.isEmpty())
        out << "Nothing has been kept in " << files.folder() << ".\n";
    for (const FileHistory::Item &item : items) {
        out << item.id << "  " << item.kept.toLocalTime().toString("yyyy-MM-dd HH:mm:ss") << "  "
            << (item.reason.isEmpty() ? QStringLiteral("(reason not noted)") : item.reason) << "  " << item.size
            << (item.size == 1 ? " byte  " : " bytes  ")
            << (item.origin.isEmpty() ? QStringLiteral("(origin not noted)") : item.origin) << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veyracheck-audit"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addHelpOption();
    parser.addPositionalArgument("command", "verify, show or history");
    parser.addOptions({
        {"data-folder", "The program's data folder.", "folder", DataFolder::defaultPath()},
        {"since", "show: lines written from DATE on.", "DATE"},
        {"name", "show: lines whose names hold TEXT.", "TEXT"},
        {"format", "show: csv (the default) or json.", "format", "csv"},
        {"restore", "history: write ITEM back where it came from.", "ITEM"},
        {"to", "history --restore: write it to FILE instead.", "FILE"},
        {"prune", "history: remove what was kept longer than DAYS days.", "DAYS"},
    });
    const auto usage = [&err] {
        err << "usage: veyracheck-audit verify | show [--since DATE] [--name TEXT] [--format csv|json] | history "
               "[--restore ITEM [--to FILE] | --prune DAYS]  [--data-folder DIR]\n";
        return 2;
    };
    if (!parser.parse(app.arguments())) {
        err << parser.errorText() << "\n";
        return usage();
    }
    if (parser.isSet("help")) {
        out << parser.helpText();
        return 0;
    }
    const QStringList commands = parser.positionalArguments();
    if (commands.size() != 1)
        return usage();
    const QString command = commands.first();
    const bool showOptions = parser.isSet("since") || parser.isSet("name") || parser.isSet("format");
    const bool historyOptions = parser.isSet("restore") || parser.isSet("to") || parser.isSet("prune");
    const QString folder = parser.value("data-folder");

    if (command == "verify" && !showOptions && !historyOptions)
        return verify(ScreeningRecord(folder), out);
    if (command == "show" && !historyOptions) {
        const QString format = parser.value("format");
        if (format != "csv" && format != "json")
            return usage();
        std::optional<QDateTime> since;
        if (parser.isSet("since")) {
            since = sinceOf(parser.value("since"));
            if (!since) {
                err << "--since needs a date (yyyy-mm-dd) or an ISO date and time, not " << parser.value("since")
                    << "\n";
                return 2;
            }
        }
        return show(ScreeningRecord(folder), since, parser.value("name"), format == "json", out, err);
    }
    if (command == "history" && !showOptions &&
        !(parser.isSet("prune") && (parser.isSet("restore") || parser.isSet("to"))) &&
        !(parser.isSet("to") && !parser.isSet("restore"))) {
        FileHistory files(folder);
        return history(files, parser, out, err);
    }
    return usage();
}
