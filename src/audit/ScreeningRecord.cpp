#include "audit/ScreeningRecord.h"

#include "audit/FileHistory.h"
#include "engine/Sha256.h"
#include "platform/files/AppendFile.h"
#include "platform/files/DataFolder.h"

#include <QFile>
#include <QJsonDocument>
#include <QSysInfo>

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
    if (end > 0 && file.read(end - 1, 1, &result.error) != "\n") {
        // A line without its line end was being written when a process or the machine stopped: cut it, keeping it.
        const qint64 feed = lastLineFeedBefore(file, end, &result.error);
        if (feed < -1)
            return result;
        const qint64 cut = feed + 1;
        const QByteArray torn = file.read(cut, end - cut, &result.error);
        FileHistory history(m_dataFolder);
        if (torn.size() != end - cut ||
            !history.keepBytes(torn, m_path, QStringLiteral("a torn last line, cut"), &result.error) ||
            !file.truncate(cut, &result.error))
            return result;
        result.repair = QStringLiteral("The last line of %1 was incomplete (%2 bytes, cut short by a crash while it "
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
        const QJsonValue number = QJsonDocument::fromJson(last).object().value(QStringLiteral("seq"));
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
        const QJsonObject fields = QJsonDocument::fromJson(text).object();
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
