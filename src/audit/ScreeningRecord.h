#pragma once

#include "audit/ScreeningEntry.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <functional>

// ScreeningRecord.jsonl in the data folder: a line for every person every search looked at, never rewritten.
// Each line holds the SHA-256 of the line before it ("prev", 64 zeros for the first) and of its own text without
// that field ("hash"), so a line changed, removed, added or moved is found by verify().
class ScreeningRecord
{
public:
    static constexpr auto FileName = "ScreeningRecord.jsonl";
    static constexpr auto Start = "0000000000000000000000000000000000000000000000000000000000000000";

    explicit ScreeningRecord(const QString &dataFolder);
    QString path() const { return m_path; }

    struct Appended
    {
        bool ok = false;
        QString error;  // why nothing was recorded
        QString repair; // a torn last line that was cut first, and where it was kept

        // What a command-line tool says of this append on standard error, a line each; empty when all went well.
        QString toolMessages() const;
    };
    // Appends one line per entry under the file's lock and has them on the disk before it returns. A last line
    // torn by a crash is cut off first and kept in the history.
    Appended append(const QList<ScreeningEntry> &entries, const QString &user = currentUser(),
                    const QString &machine = currentMachine(),
                    const QDateTime &now = QDateTime::currentDateTimeUtc()) const;

    struct Check
    {
        bool whole = true;
        bool readable = true; // false: the file could not be read, and reason says why
        qint64 lines = 0;     // lines read
        qint64 badLine = 0;   // the first line that does not fit, from 1
        QString reason;
        QByteArray lastHash; // the SHA-256 of the last line: a value to note down elsewhere
    };
    using EachLine = std::function<void(qint64 line, const QJsonObject &fields)>;
    // Reads the record to its end and checks the chain on the way. each, when given, receives every line's fields
    // in order (empty for a line that is not a record), whether or not the chain holds there.
    Check verify(const EachLine &each = {}) const;
    // verify(each); false, with the reason, only when the file cannot be read.
    bool read(const EachLine &each, QString *error) const;

    // The line for an entry, without its line end: what append() writes after the line whose hash is prev.
    static QByteArray line(const ScreeningEntry &entry, qint64 seq, const QString &user, const QString &machine,
                           const QDateTime &time, const QByteArray &prev);

    static QString currentUser();
    static QString currentMachine();

private:
    QString m_path;
    QString m_dataFolder;
};
