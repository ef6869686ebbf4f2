#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class FileSteps;

// The operator's files as they were before the program overwrote or deleted them, kept in History/<yyyy-mm-dd>/
// of the data folder under their own name and the time (item "2026-12-06/155001.123-Crew1.cdb"). Each day's
// index.jsonl says where each item came from, so it can be put back there.
class FileHistory
{
public:
    static constexpr auto FolderName = "History";
    static constexpr int DefaultDays = 90;

    explicit FileHistory(const QString &dataFolder);
    // The clock the items are named by (tests fix it); local time.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }
    // The file-system calls it makes (tests record them).
    void setFileSteps(FileSteps &steps) { m_steps = &steps; }

    // Before the file at path is replaced by replacement: keeps a copy. True when it was kept, when there is no
    // such file, or when it holds those very bytes.
    bool keepCopy(const QString &path, const QByteArray &replacement, QString *error) const;
    // Instead of deleting the file at path: moves it into the history.
    bool keepInsteadOfDeleting(const QString &path, QString *error, const QString &ownPath = {}) const;
    // Bytes that are about to leave a file the program keeps (a torn line of the screening record).
    bool keepBytes(const QByteArray &bytes, const QString &ownPath, const QString &reason, QString *error) const;

    struct Item
    {
        QString id;     // "2026-12-06/155001.123-Crew1.cdb"
        QString origin; // where it came from; empty when its index line is missing
        QDateTime kept; // UTC
        QString reason; // "overwritten", "deleted", "replaced by a restore", ...
        qint64 size = 0;
    };
    // Oldest first. A link in the history (a day's folder or an item) is never followed: it is not listed but
    // named in leftAlone.
    QList<Item> items(QStringList *leftAlone = nullptr) const;
    // Folders besides the data folder that an item may be restored to unasked: those the program itself writes
    // its files in (the main and manifest folders).
    void setProgramFolders(const QStringList &folders) { m_programFolders = folders; }
    // Writes an item back where it came from, or to target, keeping what is there now first. Without a target,
    // only an origin in the data folder or one of the program's folders is written to; never a link, never the
    // screening record.
    bool restore(const QString &id, const QString &target, QString *restoredTo, QString *error) const;
    // Removes the days older than days days before today. Returns how many items went, or -1. A link is never
    // removed through: it is named in leftAlone, and its day stays.
    int prune(int days, QString *error, QStringList *leftAlone = nullptr) const;

    QString folder() const;
    QString dataFolder() const { return m_dataFolder; }

private:
    // Where an item of the file named name, kept now, goes; the day's folder is made.
    QString newItemPath(const QString &name, QString *error) const;
    // keepCopy(), noting reason.
    bool keepBefore(const QString &path, const QByteArray &replacement, const QString &reason, QString *error) const;
    bool note(const QString &itemPath, const QString &origin, const QString &reason, qint64 size, QString *error) const;
    QString absoluteOrigin(const QString &path, const QString &ownPath) const;
    bool makeFolder(const QString &path, QString *error) const;

    // Whether a file named name holds what is for its owner alone (the mail password, the screening record).
    static bool ownerOnly(const QString &name);
    // Whether path lies directly in the data folder or one of the program's folders.
    bool inProgramFolder(const QString &path) const;

    QString m_dataFolder;
    QStringList m_programFolders;
    std::function<QDateTime()> m_now;
    FileSteps *m_steps;
};
