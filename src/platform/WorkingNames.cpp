#include "platform/WorkingNames.h"

#include "platform/DataFolder.h"
#include "platform/RecordFile.h"

#include <QFile>
#include <QFileInfo>

WorkingNames::WorkingNames(const QString &dataFolder)
    : m_journalPath(DataFolder::filePath(dataFolder, QString::fromLatin1(JournalName)))
{}

QList<WorkingNames::Entry> WorkingNames::entries() const
{
    const QStringList values = RecordFile::read(m_journalPath).values;
    QList<Entry> result;
    for (qsizetype i = 0; i + 1 < values.size(); i += 2)
        result.append({values[i], values[i + 1]});
    return result;
}

bool WorkingNames::store(const QList<Entry> &entries, QString *error)
{
    if (entries.isEmpty()) {
        if (!QFileInfo::exists(m_journalPath) || QFile::remove(m_journalPath))
            return true;
        if (error)
            *error = QStringLiteral("The journal %1 could not be removed.").arg(m_journalPath);
        return false;
    }
    QList<Record> records;
    for (const Entry &entry : entries)
        records.append({entry.ownPath, entry.workingPath});
    return RecordFile::write(m_journalPath, records, error);
}

bool WorkingNames::take(const QString &ownPath, const QString &workingPath, QString *error)
{
    QList<Entry> all = entries();
    all.removeIf([&](const Entry &e) { return e.workingPath == workingPath; });
    all.append({ownPath, workingPath});
    if (!store(all, error))
        return false;
    QFile file(ownPath);
    if (file.rename(workingPath))
        return true;
    if (error)
        *error = file.errorString();
    forget(workingPath);
    return false;
}

bool WorkingNames::renameBack(const Entry &entry, QString *error, QString *restoredPath)
{
    const QString target = QFileInfo::exists(entry.ownPath) ? DataFolder::freeFileName(entry.ownPath) : entry.ownPath;
    QFile file(entry.workingPath);
    if (!file.rename(target)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (restoredPath)
        *restoredPath = target;
    return true;
}

bool WorkingNames::giveBack(const QString &ownPath, const QString &workingPath, QString *error, QString *restoredPath)
{
    if (!renameBack({ownPath, workingPath}, error, restoredPath) && QFileInfo::exists(workingPath))
        return false; // still journalled: the next start-up tries again
    forget(workingPath);
    return true;
}

void WorkingNames::forget(const QString &workingPath)
{
    QList<Entry> all = entries();
    if (all.removeIf([&](const Entry &e) { return e.workingPath == workingPath; }) > 0)
        store(all, nullptr);
}

int WorkingNames::recover()
{
    int restored = 0;
    QList<Entry> kept;
    for (const Entry &entry : entries()) {
        if (!QFileInfo::exists(entry.workingPath))
            continue; // the crash came before the rename, or the file was deleted on purpose
        if (renameBack(entry, nullptr, nullptr))
            ++restored;
        else
            kept.append(entry); // try again at the next start rather than lose track of it
    }
    store(kept, nullptr);
    return restored;
}
