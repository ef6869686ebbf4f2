#include "manifest/Rescreening.h"

#include "engine/TableCache.h"
#include "engine/TextTable.h"
#include "engine/TextTableError.h"
#include "lists/NameListFile.h"
#include "manifest/ManifestFile.h"
#include "platform/files/DataFolder.h"
#include "search/ScreeningStatus.h"
#include "shared/CsvField.h"

#include <QDir>

namespace {

// A manifest's stored columns: Full Name, Sex, Passport # & Issuing Country, Visa # or ARC, Date of Birth, Status.
constexpr int FullNameField = 0, PassportField = 2, BirthDateField = 4, StatusField = 5;

struct Source
{
    QString name;
    QList<NameQuery::Row> persons;
    QStringList savedStatuses; // a manifest's; empty for a name list
};

// Every person of every source screened in one batch: each list is linked and searched once, not once a source.
// False, with the reason in error, when a list cannot be read.
bool screen(const QList<Source> &sources, const QStringList &lists, TableCache &cache, QList<Rescreening::Finding> &out,
            QList<ScreeningEntry> &entries, QString &error)
{
    QList<NameQuery::Row> everyone;
    for (const Source &source : sources)
        everyone += source.persons;
    if (everyone.isEmpty())
        return true;
    BatchScreening batch(everyone);
    batch.setMode(QString::fromLatin1(ScreeningEntry::RescreenMode));
    for (const QString &list : lists) {
        if (!batch.screen(list, cache, &error)) {
            entries = batch.entries(); // up to the person the search failed at
            return false;
        }
    }
    entries = batch.entries();
    qsizetype next = 0;
    for (const Source &source : sources) {
        const bool manifest = !source.savedStatuses.isEmpty();
        for (qsizetype i = 0; i < source.persons.size(); ++i) {
            const BatchScreening::Person &person = batch.persons()[next++];
            const QString now = person.status();
            const QString before = manifest ? source.savedStatuses[i] : QString();
            const bool report = manifest ? now != before
                                         : now == QLatin1String(ScreeningStatus::NoFly) ||
                                               now == QLatin1String(ScreeningStatus::Selectee);
            if (!report)
                continue;
            std::optional<BatchScreening::Match> first;
            if (!person.matches.isEmpty())
                first = person.matches.first();
            out.append({source.name, person.texts, before, now, first});
        }
    }
    return true;
}

} // namespace

NameQuery::Row Rescreening::manifestPerson(const QString &fullName, const QString &dateOfBirth, const QString &passport)
{
    const QString name = fullName.trimmed();
    const qsizetype blank = name.lastIndexOf(u' ');
    if (blank < 0)
        return {name, QString(), dateOfBirth, passport};
    return {name.mid(blank + 1), name.left(blank).trimmed(), dateOfBirth, passport};
}

Rescreening Rescreening::run(const QString &folder, const QStringList &lists, TableCache &cache)
{
    Rescreening result;
    if (!QFileInfo(folder).isDir()) {
        result.error = QStringLiteral("The folder %1 cannot be read.").arg(folder);
        return result;
    }
    QList<Source> sources;
    using Kind = NameListFile::Kind;
    for (const Kind kind : {Kind::Crew, Kind::Employee, Kind::Mechanic, Kind::Passenger}) {
        for (int n = 1; n <= NameListFile::Slots; ++n) {
            const QString name = NameListFile::fileName(kind, n);
            const QString path = DataFolder::filePath(folder, name);
            const QList<NameQuery::Row> rows = NameListFile::read(path);
            // The import stops at a record it cannot take whole; here a person left out would be reported as
            // unchanged, so such a list is refused with the record where it stops.
            if (QFileInfo::exists(path)) {
                qsizetype records = 0;
                try {
                    records = qsizetype(cache.table(path, false, name)->rowCount());
                } catch (const TextTableError &e) {
                    result.error = QStringLiteral("The name list %1 cannot be read: %2").arg(name, e.message());
                    return result;
                }
                if (records != rows.size()) {
                    result.error = QStringLiteral("The name list %1 cannot be read whole: record %2 is not four "
                                                  "names and dates, or it is past the tenth.")
                                       .arg(name)
                                       .arg(rows.size() + 1);
                    return result;
                }
            }
            sources.append({name, rows, {}});
        }
    }
    const QStringList manifests =
        QDir(folder).entryList({QString::fromLatin1(ManifestFile::Pattern)}, QDir::Files, QDir::Name);
    for (const QString &name : manifests) {
        Source source{name, {}, {}};
        try {
            const auto table = cache.table(DataFolder::filePath(folder, name), false, name);
            TextTable::Cursor cursor(*table);
            auto field = [&](int k) { return table->decode(cursor.field(k)); };
            for (size_t r = 0; r < table->rowCount(); ++r) {
                cursor.start(r);
                if (field(FullNameField).trimmed().isEmpty())
                    continue;
                source.persons.append(
                    manifestPerson(field(FullNameField), field(BirthDateField), field(PassportField)));
                source.savedStatuses.append(field(StatusField));
            }
        } catch (const TextTableError &e) {
            result.error = QStringLiteral("The manifest %1 cannot be read: %2").arg(name, e.message());
            return result;
        }
        sources.append(source);
    }
    screen(sources, lists, cache, result.findings, result.entries, result.error);
    return result;
}

QString Rescreening::csv() const
{
    QString out = QStringLiteral("source,lastName,firstAndMiddleName,dateOfBirth,oldStatus,newStatus,list,record\n");
    for (const Finding &finding : findings) {
        QStringList record;
        if (finding.match) {
            for (const auto &value : finding.match->fields)
                record.append(csvField(value.value_or(QString())));
        }
        const QStringList line{csvCell(finding.source),
                               csvCell(finding.person.lastName),
                               csvCell(finding.person.firstAndMiddleName),
                               csvCell(finding.person.dateOfBirth),
                               csvCell(finding.oldStatus),
                               csvCell(finding.newStatus),
                               csvCell(finding.match ? finding.match->listName : QString()),
                               csvCell(record.join(u','))};
        out += line.join(u',') + u'\n';
    }
    return out;
}
