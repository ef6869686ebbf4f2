#include "platform/files/WorkingNames.h"

#include "platform/files/DataFolder.h"
#include "platform/files/FileSteps.h"
#include "platform/files/RecordFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Why the journal at path cannot be trusted, or nothing when it can: a file another user could have written
// would let them rename any file of ours.
QString distrust(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("the journal %1 is a link to another file").arg(path);
#ifdef Q_OS_UNIX
    if (info.ownerId() != ::getuid())
        return QStringLiteral("the journal %1 belongs to another user").arg(path);
    if (info.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther))
        return QStringLiteral("the journal %1 may be changed by other users").arg(path);
#endif
    return {};
}

// Why the entry is not one the program made, or nothing when it is.
QString refusal(const WorkingNames::Entry &entry, const QStringList &folderKeys)
{
    const QFileInfo own(entry.ownPath), working(entry.workingPath);
    const QString workingName = working.fileName();
    if (workingName != QLatin1String("Veyra.csv") && workingName != QLatin1String("Manifest.csv"))
        return QStringLiteral("%1 is not a working name of the program").arg(workingName);
    const QString folder = DataFolder::folderIdentity(working.absolutePath());
    if (own.fileName().isEmpty() || own.fileName() == workingName ||
        DataFolder::folderIdentity(own.absolutePath()) != folder)
        return QStringLiteral("the two names are not two files of one folder");
    if (!folderKeys.contains(folder))
        return QStringLiteral("%1 is neither the remembered main folder nor the manifest folder")
            .arg(QDir::toNativeSeparators(working.absolutePath()));
    return {};
}

} // namespace

WorkingNames::WorkingNames(const QString &dataFolder)
    : m_journalPath(DataFolder::filePath(dataFolder, QString::fromLatin1(JournalName)))
{}

QList<WorkingNames::Entry> WorkingNames::entries(QString *halfEntry) const
{
    const QStringList values = RecordFile::read(m_journalPath).values;
    QList<Entry> result;
    for (qsizetype i = 0; i + 1 < values.size(); i += 2)
        result.append({values[i], values[i + 1]});
    if (halfEntry && values.size() % 2 != 0)
        *halfEntry = values.last();
    return result;
}

void WorkingNames::removeJournal()
{
    QFile::remove(m_journalPath);
}

bool WorkingNames::renameBack(const Entry &entry, QString *error)
{
    // Another file may have taken the own name meanwhile: the list then gets a free numbered name, so neither file
    // is lost.
    const QString target = QFileInfo::exists(entry.ownPath) ? DataFolder::freeFileName(entry.ownPath) : entry.ownPath;
    QFile file(entry.workingPath);
    if (file.rename(target)) {
        FileSteps::system().syncFolder(QFileInfo(target).absolutePath());
        return true;
    }
    if (error)
        *error = file.errorString();
    return false;
}

WorkingNames::Recovery WorkingNames::recover(const QStringList &folders)
{
    Recovery recovery;
    QString halfEntry;
    const QList<Entry> recorded = entries(&halfEntry);
    if (!halfEntry.isNull())
        recovery.skipped.append(QStringLiteral("Not renamed back: %1, because the journal %2 names no working name "
                                               "for it.")
                                    .arg(QDir::toNativeSeparators(halfEntry), QDir::toNativeSeparators(m_journalPath)));
    if (recorded.isEmpty()) {
        removeJournal();
        return recovery;
    }
    auto skip = [&recovery](const Entry &entry, const QString &reason) {
        recovery.skipped.append(
            QStringLiteral("Not renamed back: %1 to %2, because %3.")
                .arg(QDir::toNativeSeparators(entry.workingPath), QDir::toNativeSeparators(entry.ownPath), reason));
    };
    if (const QString reason = distrust(m_journalPath); !reason.isEmpty()) {
        for (const Entry &entry : recorded)
            skip(entry, reason);
        removeJournal();
        return recovery;
    }
    QStringList folderKeys;
    for (const QString &folder : folders) {
        if (!folder.isEmpty())
            folderKeys.append(DataFolder::folderIdentity(folder));
    }
    for (const Entry &entry : recorded) {
        if (const QString reason = refusal(entry, folderKeys); !reason.isEmpty()) {
            skip(entry, reason);
            continue;
        }
        if (!QFileInfo::exists(entry.workingPath))
            continue; // the crash came before the rename, or the file was deleted on purpose
        QString cause;
        if (renameBack(entry, &cause))
            ++recovery.restored;
        else
            skip(entry, cause);
    }
    // No version writes the journal any longer: once carried out, it goes, and what could not be done was said.
    removeJournal();
    return recovery;
}
