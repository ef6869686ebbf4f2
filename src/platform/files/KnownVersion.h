#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The version of a file a window read or wrote last, so that a later save can tell whether someone else (another
// copy of the program on a shared folder) changed the file meanwhile. Versions are told apart by their bytes, not
// by dates, which network drives keep coarsely.
class KnownVersion
{
public:
    KnownVersion() = default;
    // The file as it is now; a missing file is a known version too (nothing there).
    static KnownVersion of(const QString &path);
    // The file as these bytes, just read or written.
    static KnownVersion ofBytes(const QString &path, const QByteArray &bytes);
    // The file as the bytes with this SHA-256 (lower-case hex), as a reader of the file found it.
    static KnownVersion ofHash(const QString &path, const QByteArray &sha256);

    bool isKnown() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QByteArray sha256() const { return m_sha256; }

    // Whether the file at the path is no longer this version. A file that is gone now counts as unchanged: a save
    // overwrites nothing of anyone's.
    bool changedOnDisk() const;
    // When a file changed on disk was last written, for the question below.
    QDateTime changedAt() const;

    // "Manifest-100 was changed by someone else at 10:42 since you opened it. Save over it? Their version will be
    // kept in the history."; the date comes too when the change was not made today.
    static QString saveOverQuestion(const QString &fileName, const QDateTime &changedAt, const QDate &today);

private:
    QString m_path;
    bool m_existed = false;
    QByteArray m_sha256;
};
