#include "audit/FileHistory.h"

#include "audit/ScreeningRecord.h"
#include "platform/files/AppendFile.h"
#include "platform/files/DataFolder.h"
#include "platform/files/FileSteps.h"
#include "platform/files/SavedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#endif

namespace {

constexpr auto IndexName = "index.jsonl";
constexpr auto DayFormat = "yyyy-MM-dd";
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

bool fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return false;
}

bool isDay(const QString &name)
{
    return QDate::fromString(name, QLatin1String(DayFormat)).isValid();
}

// A link the history does not follow, named for the caller.
void leave(QStringList *leftAlone, const QString &path)
{
    if (leftAlone)
        leftAlone->append(QDir::toNativeSeparators(path));
}

// An item's bytes, refusing a link: what a link names is not the history's to give back.
bool readItem(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file;
#ifdef Q_OS_UNIX
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (handle < 0) {
        const int cause = errno;
        return fail(error, cause == ELOOP ? QStringLiteral("%1 is a link: it is not restored.").arg(path)
                                          : QStringLiteral("%1 cannot be read: %2").arg(path, qt_error_string(cause)));
    }
    file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
#else
    file.setFileName(path);
    if (QFileInfo(path).isSymLink())
        return fail(error, QStringLiteral("%1 is a link: it is not restored.").arg(path));
    file.open(QIODevice::ReadOnly);
#endif
    *bytes = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("%1 cannot be read: %2").arg(path, file.errorString()));
    return true;
}

} // namespace

FileHistory::FileHistory(const QString &dataFolder)
    : m_dataFolder(dataFolder)
    , m_now([] { return QDateTime::currentDateTime(); })
    , m_steps(&FileSteps::system())
{}

bool FileHistory::makeFolder(const QString &path, QString *error) const
{
    if (QFileInfo(path).isDir())
        return true;
    // The history holds the operator's manifests and lists: for the operator alone, from the first moment.
    if (!m_steps->makeFolder(path, 0700) && !QFileInfo(path).isDir())
        return fail(error, QStringLiteral("The folder %1 cannot be made: %2").arg(path, m_steps->lastError()));
    // A folder's name is on the disk only once its parent is; an item kept in a folder lost to a power cut would
    // be lost with it.
    m_steps->syncFolder(QFileInfo(path).absolutePath());
    return true;
}

QString FileHistory::folder() const
{
    return DataFolder::filePath(m_dataFolder, QString::fromLatin1(FolderName));
}

QString FileHistory::absoluteOrigin(const QString &path, const QString &ownPath) const
{
    return QDir::toNativeSeparators(QFileInfo(ownPath.isEmpty() ? path : ownPath).absoluteFilePath());
}

QString FileHistory::newItemPath(const QString &name, QString *error) const
{
    if (m_dataFolder.isEmpty()) {
        fail(error, QStringLiteral("No data folder is known to keep %1 in.").arg(name));
        return {};
    }
    const QDateTime now = m_now();
    const QString day = DataFolder::filePath(folder(), now.toString(QLatin1String(DayFormat)));
    if (!DataFolder::ensureExists(m_dataFolder, error) || !makeFolder(folder(), error))
        return {};
    // A day's folder that is a link could put the operator's files anywhere: nothing is kept through it.
    if (QFileInfo(day).isSymLink()) {
        fail(error,
             QStringLiteral("%1 is a link, not a folder of the history: %2 is not kept through it.").arg(day, name));
        return {};
    }
    if (!makeFolder(day, error))
        return {};
    const QString path = DataFolder::filePath(day, now.toString(QStringLiteral("HHmmss.zzz-")) + name);
    return QFileInfo::exists(path) ? DataFolder::freeFileName(path) : path;
}

bool FileHistory::note(const QString &itemPath, const QString &origin, const QString &reason, qint64 size,
                       QString *error) const
{
    const QJsonObject line{{QStringLiteral("item"), QFileInfo(itemPath).fileName()},
                           {QStringLiteral("origin"), origin},
                           {QStringLiteral("kept"), m_now().toUTC().toString(Qt::ISODateWithMs)},
                           {QStringLiteral("reason"), reason},
                           {QStringLiteral("size"), size}};
    AppendFile index(DataFolder::filePath(QFileInfo(itemPath).path(), QString::fromLatin1(IndexName)), *m_steps);
    return index.open(error) && index.append(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n', error) &&
           index.sync(error);
}

bool FileHistory::keepCopy(const QString &path, const QByteArray &replacement, QString *error) const
{
    return keepBefore(path, replacement, QStringLiteral("overwritten"), error);
}

bool FileHistory::keepBefore(const QString &path, const QByteArray &replacement, const QString &reason,
                             QString *error) const
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("%1 cannot be read to keep it: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("%1 cannot be read to keep it: %2").arg(path, file.errorString()));
    if (bytes == replacement)
        return true;
    return keepBytes(bytes, absoluteOrigin(path, {}), reason, error);
}

bool FileHistory::keepBytes(const QByteArray &bytes, const QString &ownPath, const QString &reason,
                            QString *error) const
{
    const QString item = newItemPath(QFileInfo(ownPath).fileName(), error);
    if (item.isEmpty())
        return false;
    // The index line goes to the disk first: a power cut between the two leaves a line naming no item, which is
    // passed over, never an item whose origin nobody knows.
    if (!note(item, ownPath, reason, bytes.size(), error))
        return false;
    QString cause;
    if (!SavedFile::replace(item, bytes, &cause, true, *m_steps, false))
        return fail(error, QStringLiteral("%1 cannot be kept in %2: %3").arg(ownPath, item, cause));
    return true;
}

bool FileHistory::keepInsteadOfDeleting(const QString &path, QString *error, const QString &ownPath) const
{
    QFileInfo info(path);
    if (!info.exists())
        return true;
    const QString origin = absoluteOrigin(path, ownPath);
    const QString item = newItemPath(QFileInfo(origin).fileName(), error);
    if (item.isEmpty())
        return false;
    if (!note(item, origin, QStringLiteral("deleted"), info.size(), error))
        return false;
    // A move, not a copy: a watch list may be large. Across file systems (a list on a network drive) the bytes
    // are kept through a durable save, and only then is the file removed.
    if (m_steps->rename(path, item)) {
        QFile::setPermissions(item, OwnerOnly);
        m_steps->syncFolder(QFileInfo(item).absolutePath());
    } else {
        const QString renameCause = m_steps->lastError();
        QFile file(path);
        const bool read = file.open(QIODevice::ReadOnly);
        const QByteArray bytes = read ? file.readAll() : QByteArray();
        QString cause;
        if (!read || file.error() != QFileDevice::NoError)
            return fail(error, QStringLiteral("%1 cannot be moved into %2: %3").arg(path, item, renameCause));
        file.close();
        if (!SavedFile::replace(item, bytes, &cause, true, *m_steps, false))
            return fail(error, QStringLiteral("%1 cannot be kept in %2: %3").arg(path, item, cause));
        if (!m_steps->remove(path))
            return fail(
                error,
                QStringLiteral("%1 was kept in %2 but cannot be deleted: %3").arg(path, item, m_steps->lastError()));
    }
    m_steps->syncFolder(QFileInfo(path).absolutePath());
    return true;
}

QList<FileHistory::Item> FileHistory::items(QStringList *leftAlone) const
{
    QList<Item> all;
    const QDir history(folder());
    for (const QFileInfo &dayInfo : history.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString day = dayInfo.fileName();
        if (!isDay(day))
            continue;
        if (dayInfo.isSymLink()) {
            leave(leftAlone, dayInfo.filePath());
            continue;
        }
        const QDir dayFolder(history.filePath(day));
        // In the order they were kept, as the index has them; a file the index does not name comes after.
        QSet<QString> listed;
        QFile index(dayFolder.filePath(QString::fromLatin1(IndexName)));
        if (index.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : index.readAll().split('\n')) {
                const QJsonObject o = QJsonDocument::fromJson(line).object();
                const QString name = o.value(QStringLiteral("item")).toString();
                const QFileInfo file(dayFolder.filePath(name));
                if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || listed.contains(name) ||
                    !file.isFile() || file.isSymLink())
                    continue;
                listed.insert(name);
                all.append({day + u'/' + name, o.value(QStringLiteral("origin")).toString(),
                            QDateTime::fromString(o.value(QStringLiteral("kept")).toString(), Qt::ISODate),
                            o.value(QStringLiteral("reason")).toString(), file.size()});
            }
        }
        for (const QFileInfo &file : dayFolder.entryInfoList(QDir::Files | QDir::System, QDir::Name)) {
            if (file.isSymLink()) {
                leave(leftAlone, file.filePath());
                continue;
            }
            if (file.fileName() == QLatin1String(IndexName) || listed.contains(file.fileName()))
                continue;
            all.append({day + u'/' + file.fileName(), {}, file.lastModified().toUTC(), {}, file.size()});
        }
    }
    return all;
}

bool FileHistory::ownerOnly(const QString &name)
{
    return name.compare(QLatin1String(DataFolder::CompanyInfoFileName), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String(ScreeningRecord::FileName), Qt::CaseInsensitive) == 0;
}

bool FileHistory::inProgramFolder(const QString &path) const
{
    const QString folder = DataFolder::folderIdentity(QFileInfo(path).absolutePath());
    QStringList folders = m_programFolders;
    folders.prepend(m_dataFolder);
    return std::any_of(folders.cbegin(), folders.cend(), [&folder](const QString &known) {
        return !known.isEmpty() && DataFolder::folderIdentity(known) == folder;
    });
}

bool FileHistory::restore(const QString &id, const QString &target, QString *restoredTo, QString *error) const
{
    QStringList links;
    Item found;
    for (const Item &item : items(&links)) {
        if (item.id == id)
            found = item;
    }
    const QString itemPath = DataFolder::filePath(folder(), id);
    const QString dayPath = DataFolder::filePath(folder(), id.section(u'/', 0, 0));
    if (found.id.isEmpty() &&
        (links.contains(QDir::toNativeSeparators(itemPath)) || links.contains(QDir::toNativeSeparators(dayPath))))
        return fail(error, QStringLiteral("%1 is a link: it is not restored.").arg(itemPath));
    if (found.id.isEmpty())
        return fail(error, QStringLiteral("There is no item %1 in %2.").arg(id, folder()));
    const QString destination = target.isEmpty() ? found.origin : target;
    if (destination.isEmpty())
        return fail(error, QStringLiteral("Where %1 came from is not known: name the file to restore it to.").arg(id));
    // The origin is only what the day's index says, and an index can be written by anyone who can write the
    // folder: unasked, an item goes back only into a folder the program writes its own files in.
    if (target.isEmpty() && !inProgramFolder(destination))
        return fail(error, QStringLiteral("%1 came from %2, which is not in the data folder or one of the program's "
                                          "folders: name the file to restore it to.")
                               .arg(id, destination));
    // A link would carry the bytes to whatever it names.
    const QFileInfo destinationInfo(destination);
    if (destinationInfo.isSymLink())
        return fail(
            error, QStringLiteral("%1 is a link: nothing is restored onto it. Name the file itself.").arg(destination));
    // The screening record only ever grows: a piece cut from it is looked at elsewhere, never written over it.
    const QFileInfo record(ScreeningRecord(m_dataFolder).path());
    const QString resolved =
        DataFolder::filePath(DataFolder::folderIdentity(destinationInfo.absolutePath()), destinationInfo.fileName());
    const QString recordResolved =
        DataFolder::filePath(DataFolder::folderIdentity(record.absolutePath()), record.fileName());
    if (destinationInfo.fileName().compare(QLatin1String(ScreeningRecord::FileName), Qt::CaseInsensitive) == 0 ||
        QDir::cleanPath(resolved) == QDir::cleanPath(recordResolved))
        return fail(error, QStringLiteral("Nothing is restored over the screening record: name another file to "
                                          "write %1 to.")
                               .arg(id));
    if (!destinationInfo.dir().exists())
        return fail(error, QStringLiteral("The folder of %1 does not exist.").arg(destination));
    QByteArray bytes;
    if (!readItem(itemPath, &bytes, error))
        return false;
    // What is there now is kept too: a restore loses nothing either.
    if (!keepBefore(destination, bytes, QStringLiteral("replaced by a restore"), error))
        return false;
    // The mail password stays the owner's wherever it goes, and whatever the index says it came from.
    const bool secret = ownerOnly(destinationInfo.fileName()) || ownerOnly(QFileInfo(found.origin).fileName()) ||
                        ownerOnly(id.section(u'/', -1).section(u'-', 1));
    QString cause;
    // Not through a link, even one put in its place since it was looked at: the link is replaced instead.
    if (!SavedFile::replace(destination, bytes, &cause, secret, *m_steps, false))
        return fail(error, QStringLiteral("%1 cannot be written: %2").arg(destination, cause));
    if (restoredTo)
        *restoredTo = destination;
    return true;
}

int FileHistory::prune(int days, QString *error, QStringList *leftAlone) const
{
    if (days < 0) {
        fail(error, QStringLiteral("The number of days to keep cannot be negative."));
        return -1;
    }
    const QDate oldestKept = m_now().date().addDays(-days);
    QDir history(folder());
    int removed = 0;
    for (const QFileInfo &dayInfo : history.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString day = dayInfo.fileName();
        if (!isDay(day) || QDate::fromString(day, QLatin1String(DayFormat)) >= oldestKept)
            continue;
        // Removing through a link would empty whatever folder it names.
        if (dayInfo.isSymLink()) {
            leave(leftAlone, dayInfo.filePath());
            continue;
        }
        QDir dayFolder(dayInfo.filePath());
        bool whole = true;
        for (const QFileInfo &entry :
             dayFolder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            // A link, or a folder the program never makes: its day stays, with it.
            if (entry.isSymLink() || entry.isDir()) {
                leave(leftAlone, entry.filePath());
                whole = false;
                continue;
            }
            // Another copy pruning the same day may have taken it already: gone is done.
            if (!QFile::remove(entry.filePath()) && QFileInfo::exists(entry.filePath())) {
                fail(error, QStringLiteral("%1 could not be removed.").arg(entry.filePath()));
                return -1;
            }
            if (entry.fileName() != QLatin1String(IndexName))
                ++removed;
        }
        if (whole && !history.rmdir(day) && QFileInfo::exists(dayInfo.filePath())) {
            fail(error, QStringLiteral("%1 could not be removed whole.").arg(dayFolder.path()));
            return -1;
        }
    }
    if (removed > 0)
        m_steps->syncFolder(folder());
    return removed;
}
