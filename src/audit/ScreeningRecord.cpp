#include "audit/ScreeningRecord.h"

#include "audit/FileHistory.h"
#include "engine/Sha256.h"
#include "platform/files/AppendFile.h"
#include "platform/files/DataFolder.h"

#include <QFile>
#include <QJsonDocument>
#include <QSysInfo>

#include <algorithm>
#include <cmath>
#include <vector>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace {

constexpr qsizetype HashSuffix = 75; // ,"hash":"<64 hex>"}

// A JSON string. Bytes of a multi-byte UTF-8 character are never below 0x80, so escaping byte by byte is safe.
void addString(QByteArray &out, const QString &value)
{
    out += '"';
    const QByteArray utf8 = value.toUtf8();
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static constexpr char Hex[] = "0123456789abcdef";
            out += "\\u00";
            out += Hex[u >> 4];
            out += Hex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

void addText(QByteArray &out, const char *key, const QString &value)
{
    out += ",\"";
    out += key;
    out += "\":";
    addString(out, value);
}

bool isHex(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A line's fields, or none when it is not a record line: not a JSON object, or numbered by anything but a whole
// number from 1 to 2^53 (beyond which a double no longer counts one by one), which the next append could not go
// on from.
QJsonObject recordFields(QByteArrayView text)
{
    QJsonObject fields = QJsonDocument::fromJson(text.toByteArray()).object();
    const QJsonValue seq = fields.value(QStringLiteral("seq"));
    const double number = seq.toDouble();
    if (!seq.isDouble() || !(number >= 1 && number <= 9007199254740992.0) || number != std::floor(number))
        return {};
    return fields;
}

// Whether the hash a line states for itself is that of its text without it.
bool carriesOwnHash(QByteArrayView line)
{
    if (line.size() < HashSuffix + 2 || !line.endsWith("\"}") ||
        line.sliced(line.size() - HashSuffix, 9) != QByteArrayView(",\"hash\":\""))
        return false;
    const QByteArrayView stated = line.sliced(line.size() - HashSuffix + 9, 64);
    if (!isHex(stated))
        return false;
    QByteArray body = line.first(line.size() - HashSuffix).toByteArray();
    body += '}';
    return Sha256::hexOf(body) == stated;
}

// Why line number, ended or not, does not fit after the line whose hash is prev; empty when it fits.
QString misfit(QByteArrayView text, bool ended, const QJsonObject &fields, const QByteArray &prev, qint64 number)
{
    if (!ended)
        return QStringLiteral("it is incomplete: cut short while it was written, or cut since");
    if (fields.isEmpty())
        return QStringLiteral("it is not a record line");
    if (!carriesOwnHash(text))
        return QStringLiteral("it was changed after it was written");
    if (fields.value(QStringLiteral("prev")).toString().toLatin1() != prev)
        return number == 1 ? QStringLiteral("it is not the first line written: lines before it were removed")
                           : QStringLiteral("it does not follow the line before it: a line was removed, added or "
                                            "moved");
    const double seq = fields.value(QStringLiteral("seq")).toDouble();
    if (seq != double(number))
        return QStringLiteral("it is numbered %1").arg(seq);
    return {};
}

// The offset of the last line feed before position, or -1; read backwards a block at a time.
qint64 lastLineFeedBefore(AppendFile &file, qint64 position, QString *error)
{
    constexpr qint64 Block = 64 * 1024;
    while (position > 0) {
        const qint64 from = std::max<qint64>(0, position - Block);
        const QByteArray block = file.read(from, position - from, error);
        if (block.size() != position - from)
            return -2;
        const qsizetype at = block.lastIndexOf('\n');
        if (at >= 0)
            return from + at;
        position = from;
    }
    return -1;
}

// Whether a line cannot be what append() wrote, whole: cut short, holding bytes that never reached the disk
// (zeros), or not a record at all.
bool damaged(QByteArrayView text, bool ended)
{
    return !ended || text.contains('\0') || recordFields(text).isEmpty();
}

// How far back a repair may reach: far more than one search's append (1000 persons), far less than a record.
constexpr qint64 RepairReach = 16 * 1024 * 1024;

// Where the record's sound lines end, so that the next append chains to a line that holds: the end itself, or
// the start of a half-written last append. A last line that carries its own hash and follows the line before it
// is sound. Walking back, damaged lines go, and so does a line that carries its own hash but follows a damaged
// one (the same append, written past a page that never reached the disk); a line that was changed, or that
// follows a sound line it does not chain to, stops the walk: that is for verify() to report, never to cut.
// -1, with error, when the file cannot be read.
qint64 soundEnd(AppendFile &file, qint64 end, QString *error)
{
    const qint64 from = std::max<qint64>(0, end - RepairReach);
    const QByteArray tail = file.read(from, end - from, error);
    if (tail.size() != end - from)
        return -1;
    struct Line
    {
        qint64 start; // in the file
        QByteArrayView text;
        bool ended;
    };
    std::vector<Line> lines;
    // The region's first line is whole only where the region starts at the file's start or after a line feed.
    qsizetype at = 0;
    if (from > 0) {
        const qsizetype feed = tail.indexOf('\n');
        if (feed < 0)
            return end;
        at = feed + 1;
    }
    while (at < tail.size()) {
        const qsizetype feed = tail.indexOf('\n', at);
        const qsizetype stop = feed < 0 ? tail.size() : feed;
        lines.push_back({from + at, QByteArrayView(tail).sliced(at, stop - at), feed >= 0});
        at = stop + 1;
    }
    qint64 cut = end;
    for (qsizetype i = qsizetype(lines.size()) - 1; i >= 0; --i) {
        const Line &line = lines[size_t(i)];
        if (damaged(line.text, line.ended)) {
            cut = line.start;
            continue;
        }
        if (!carriesOwnHash(line.text))
            break; // changed after it was written
        const QJsonObject fields = recordFields(line.text);
        const QByteArray prev = fields.value(QStringLiteral("prev")).toString().toLatin1();
        if (i == 0)
            break; // the file's first line, or one whose line before lies beyond the reach: verify() judges it
        const Line &before = lines[size_t(i) - 1];
        if (prev == Sha256::hexOf(before.text))
            break;
        if (!damaged(before.text, before.ended))
            break;
    }
    return cut;
}

} // namespace

ScreeningRecord::ScreeningRecord(const QString &dataFolder)
    : m_path(DataFolder::filePath(dataFolder, QString::fromLatin1(FileName)))
    , m_dataFolder(dataFolder)
{}

QByteArray ScreeningRecord::line(const ScreeningEntry &entry, qint64 seq, const QString &user, const QString &machine,
                                 const QDateTime &time, const QByteArray &prev)
{
    QByteArray out;
    out.reserve(640);
    out += "{\"seq\":";
    out += QByteArray::number(seq);
    addText(out, "time", time.toUTC().toString(Qt::ISODateWithMs));
    addText(out, "user", user);
    addText(out, "machine", machine);
    addText(out, "mode", entry.mode);
    addText(out, "list", entry.listFile);
    out += ",\"listRecords\":";
    out += QByteArray::number(entry.listRecords);
    addText(out, "listSha256", entry.listSha256);
    addText(out, "lastName", entry.lastName);
    addText(out, "firstAndMiddleName", entry.firstAndMiddleName);
    addText(out, "dateOfBirth", entry.dateOfBirth);
    addText(out, "passport", entry.passport);
    addText(out, "match", entry.match);
    addText(out, "outcome", entry.outcome);
    out += ",\"records\":[";
    for (qsizetype i = 0; i < entry.records.size(); ++i) {
        if (i > 0)
            out += ',';
        addString(out, entry.records[i]);
    }
    out += ']';
    addText(out, "prev", QString::fromLatin1(prev));
    out += '}';
    const QByteArray hash = Sha256::hexOf(out);
    out.chop(1);
    out += ",\"hash\":\"";
    out += hash;
    out += "\"}";
    return out;
}

ScreeningRecord::Appended ScreeningRecord::append(const QList<ScreeningEntry> &entries, const QString &user,
                                                  const QString &machine, const QDateTime &now) const
{
    Appended result;
    if (entries.isEmpty()) {
        result.ok = true;
        return result;
    }
    if (!DataFolder::ensureExists(m_dataFolder, &result.error))
        return result;
    AppendFile file(m_path);
    if (!file.open(&result.error))
        return result;
    qint64 end = file.size();
    const qint64 cut = soundEnd(file, end, &result.error);
    if (cut < 0)
        return result;
    if (cut < end) {
        // An append a crash or a power cut left half-written (cut short, or zeros where its bytes never reached
        // the disk): cut back to the last line that holds, keeping what goes.
        const QByteArray torn = file.read(cut, end - cut, &result.error);
        FileHistory history(m_dataFolder);
        if (torn.size() != end - cut ||
            !history.keepBytes(torn, m_path, QStringLiteral("an incomplete last append, cut"), &result.error) ||
            !file.truncate(cut, &result.error) || !file.sync(&result.error))
            return result;
        result.repair = QStringLiteral("The end of %1 was incomplete (%2 bytes, cut short by a crash while it "
                                       "was written). It was cut off and kept in %3.")
                            .arg(m_path)
                            .arg(end - cut)
                            .arg(history.folder());
        end = cut;
    }
    QByteArray prev(Start);
    qint64 seq = 1;
    if (end > 0) {
        const qint64 feed = lastLineFeedBefore(file, end - 1, &result.error);
        if (feed < -1)
            return result;
        const QByteArray last = file.read(feed + 1, end - 1 - (feed + 1), &result.error);
        prev = Sha256::hexOf(last);
        const QJsonValue number = recordFields(last).value(QStringLiteral("seq"));
        if (number.isDouble()) {
            seq = qint64(number.toDouble()) + 1;
        } else {
            // The last line is not a record (verify says so): the numbering goes on by lines.
            const QByteArray all = file.read(0, end, &result.error);
            seq = all.count('\n') + 1;
        }
    }
    QByteArray lines;
    lines.reserve(entries.size() * 700);
    for (const ScreeningEntry &entry : entries) {
        const QByteArray text = line(entry, seq++, user, machine, now, prev);
        prev = Sha256::hexOf(text);
        lines += text;
        lines += '\n';
    }
    result.ok = file.append(lines, &result.error) && file.sync(&result.error);
    return result;
}

bool ScreeningRecord::read(const EachLine &each, QString *error) const
{
    const Check check = verify(each);
    if (!check.readable && error)
        *error = check.reason;
    return check.readable;
}

ScreeningRecord::Check ScreeningRecord::verify(const EachLine &each) const
{
    Check check;
    check.lastHash = Start;
    QFile file(m_path);
    if (!file.exists())
        return check;
    const auto unreadable = [&] {
        check.whole = false;
        check.readable = false;
        check.reason = QStringLiteral("%1 cannot be read: %2").arg(m_path, file.errorString());
        return check;
    };
    if (!file.open(QIODevice::ReadOnly))
        return unreadable();
    while (!file.atEnd()) {
        QByteArray text = file.readLine();
        ++check.lines;
        const bool ended = text.endsWith('\n');
        if (ended)
            text.chop(1);
        const QJsonObject fields = recordFields(text);
        if (each)
            each(check.lines, fields);
        if (check.whole) {
            const QString reason = misfit(text, ended, fields, check.lastHash, check.lines);
            if (!reason.isEmpty()) {
                check.whole = false;
                check.badLine = check.lines;
                check.reason = reason;
            }
        }
        check.lastHash = Sha256::hexOf(text);
    }
    if (file.error() != QFileDevice::NoError)
        return unreadable();
    return check;
}

QString ScreeningRecord::Appended::toolMessages() const
{
    QString said = repair.isEmpty() ? QString() : repair + u'\n';
    if (!ok)
        said += QStringLiteral("The screening record could not be written: %1\n").arg(error);
    return said;
}

QString ScreeningRecord::currentUser()
{
#ifdef Q_OS_UNIX
    // The account the process runs as, which the environment cannot change.
    if (const passwd *entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
#endif
    for (const char *name : {"USERNAME", "USER", "LOGNAME"}) {
        const QString user = qEnvironmentVariable(name);
        if (!user.isEmpty())
            return user;
    }
    return QStringLiteral("unknown");
}

QString ScreeningRecord::currentMachine()
{
    return QSysInfo::machineHostName();
}
