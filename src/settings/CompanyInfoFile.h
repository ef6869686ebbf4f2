#pragma once

#include "platform/files/DataFolder.h"
#include "platform/files/RecordFile.h"

#include <QString>

#include <optional>

struct CompanyInfo
{
    QString companyName;
    QString emailAddress;
    QString smtpServer;
    QString smtpUser;
    QString smtpPassword;
    qint16 smtpPort = 0;

    // Values this program does not use, kept as read so that a rewrite preserves them.
    QString position4;
    QString position5;
    QString position10;
    qint64 position42 = 0;
};

// The settings window's texts as typed.
struct SettingsFields
{
    QString companyName;
    QString emailAddress;
    QString serverName;
    QString userName;
    QString password;
    QString smtpPort;
};

// CIinfo.cdb: one line of 50 values holding the company name and the mail settings.
namespace CompanyInfoFile {

inline constexpr auto FileName = DataFolder::CompanyInfoFileName;
inline constexpr int ValueCount = 50;

QString path(const QString &dataFolder);

struct ReadResult
{
    CompanyInfo info; // what was read before any failure; empty texts and 0 beyond it
    bool complete = false;
    QString error;
};
ReadResult read(const QString &dataFolder);
// Where position 2 starts: past the leading values that begin with "#" and the one value after them.
qsizetype stripJunk(const QStringList &values);
// Takes positions 2 to 42 after stripJunk; positions 43 to 50 are never read.
ReadResult parse(const QStringList &values);

QList<Record> toRecords(const CompanyInfo &info);
// Written readable by the owner only: the file holds the mail password.
bool write(const QString &dataFolder, const CompanyInfo &info, QString *error);

bool isValidEmailAddress(const QString &text);
// A whole number within 16 signed bits, blanks around it allowed.
std::optional<qint16> parsePort(const QString &text);

// The message Save shows for fields it must refuse, or an empty text when they may be saved.
QString refusal(const SettingsFields &fields);

inline constexpr auto EmailMessage =
    "Please enter an email address. Commas not allowed. Use semi-colon to separate emails.";

} // namespace CompanyInfoFile
