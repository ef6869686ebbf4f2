#include "settings/CompanyInfoFile.h"

#include "audit/FileHistory.h"
#include "platform/files/DataFolder.h"

#include <limits>

namespace CompanyInfoFile {

QString path(const QString &dataFolder)
{
    return DataFolder::filePath(dataFolder, QString::fromLatin1(FileName));
}

ReadResult read(const QString &dataFolder)
{
    const RecordFile::Contents contents = RecordFile::read(path(dataFolder));
    if (!contents.opened) {
        ReadResult result;
        result.error = contents.error;
        return result;
    }
    return parse(contents.values);
}

qsizetype stripJunk(const QStringList &values)
{
    qsizetype i = 0;
    while (i < values.size() && values[i].startsWith(u'#'))
        ++i;
    return i + 1; // the first value that is no comment is consumed too: "0x00000000" in a file we wrote
}

ReadResult parse(const QStringList &values)
{
    ReadResult result;
    qsizetype i = stripJunk(values);
    CompanyInfo &info = result.info;
    for (int position = 2; position <= 42; ++position, ++i) {
        if (i >= values.size()) {
            result.error = QStringLiteral("The file ends before value %1.").arg(position);
            return result;
        }
        const QString &value = values[i];
        switch (position) {
        case 3:
            info.companyName = value;
            break;
        case 4:
            info.position4 = value;
            break;
        case 5:
            info.position5 = value;
            break;
        case 9:
            info.emailAddress = value;
            break;
        case 10:
            info.position10 = value;
            break;
        case 12:
            info.smtpServer = value;
            break;
        case 13:
            info.smtpUser = value;
            break;
        case 14:
            info.smtpPassword = value;
            break;
        case 15:
            if (const auto port = parsePort(value)) {
                info.smtpPort = *port;
                break;
            }
            result.error = QStringLiteral("The SMTP port \"%1\" is not a whole number.").arg(value);
            return result;
        case 42:
            info.position42 = value.toLongLong();
            break;
        default:
            break;
        }
    }
    result.complete = true;
    return result;
}

QList<Record> toRecords(const CompanyInfo &info)
{
    Record r;
    r << QStringLiteral("0x00000000") << QStringLiteral("0x0000") << info.companyName << info.position4
      << info.position5 << qint64(2) << QString() << QString() << info.emailAddress << info.position10
      << QStringLiteral("0") << info.smtpServer << info.smtpUser << info.smtpPassword << qint64(info.smtpPort);
    for (int position = 16; position <= 41; ++position)
        r << QString();
    r << info.position42;
    for (int position = 43; position <= ValueCount; ++position)
        r << QString();
    return {r};
}

bool write(const QString &dataFolder, const CompanyInfo &info, QString *error)
{
    const QList<Record> records = toRecords(info);
    return FileHistory(dataFolder).keepCopy(path(dataFolder), RecordFile::format(records), error) &&
           RecordFile::write(path(dataFolder), records, error, true);
}

bool isValidEmailAddress(const QString &text)
{
    return !text.isEmpty() && text.contains(u'@') && !text.contains(u',');
}

std::optional<qint16> parsePort(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(value);
}

QString refusal(const SettingsFields &fields)
{
    if (!isValidEmailAddress(fields.emailAddress))
        return QString::fromLatin1(EmailMessage);
    const std::pair<const char *, const QString *> texts[] = {
        {"Company Name", &fields.companyName}, {"Email Address", &fields.emailAddress},
        {"Server Name", &fields.serverName},   {"Username", &fields.userName},
        {"Password", &fields.password},        {"SMTP Port", &fields.smtpPort},
    };
    // The file format has no escape for a double quote: such a text would come back cut short.
    for (const auto &[caption, text] : texts) {
        if (text->contains(u'"'))
            return QStringLiteral("%1 must not contain a double quote (\"). Nothing was saved.")
                .arg(QLatin1String(caption));
    }
    if (!parsePort(fields.smtpPort))
        return QStringLiteral("SMTP Port must be a whole number from -32768 to 32767. Nothing was saved.");
    return QString();
}

} // namespace CompanyInfoFile
